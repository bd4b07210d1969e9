// lumbrook browse: shows the data browser; on "Select" prints the choice, and
// with --export also exports it.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browse_choice.h"
#include "command.h"
#include "lumbrook/bstr.h"
#include "server.h"

namespace lumbrook::host {
namespace {

constexpr const char* kDescription =
    "Shows the data browser. On Select prints Descriptor, MSType, AllSpectra, JobRunID,\n"
    "JobRunItemID and DescriptorList as Name=value lines, then each DescriptorList entry on\n"
    "a line of its own.";

// One DoExport into `file`; kExitOk when the engine reported success.
int ExportOnce(_Lumbrook& object, const std::string& file) {
    platform::Bstr path(file);
    BSTR raw = path.get();
    VARIANT_BOOL done = VARIANT_FALSE;
    const HRESULT hr = object.DoExport(&raw, &done);
    if (FAILED(hr))
        return ReportObjectError("exporting", hr);
    if (done == VARIANT_FALSE) {
        std::cerr << "lumbrook: the export of " << file << " did not complete\n";
        return kExitFailed;
    }
    return kExitOk;
}

// Exports the browser's choice into `file`: the whole job run, or each selected
// spectrum in the order of the list, one after the other. The file is written
// aside and renamed into place, so a failure never leaves a partial file under
// its name.
int ExportChoice(_Lumbrook& object, const std::string& file, bool allSpectra,
                 const std::vector<std::string>& entries) {
    VARIANT_BOOL connected = VARIANT_FALSE;
    HRESULT hr = object.Connect(&connected);
    if (FAILED(hr))
        return ReportObjectError("connecting", hr);
    if (connected == VARIANT_FALSE) {
        std::cerr << "lumbrook: cannot connect to the database\n";
        return kExitFailed;
    }
    const std::string partial = file + ".part";
    if (allSpectra) {
        if (const int status = ExportOnce(object, partial); status != kExitOk) {
            std::remove(partial.c_str());
            return status;
        }
    } else {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        const std::string piece = file + ".item";
        for (const std::string& entry : entries) {
            // Descriptor:JobRunID:JobRunItemID:AllSpectra:MSType; the descriptor may
            // hold ":".
            const std::size_t typeColon = entry.rfind(':');
            const std::size_t allColon = entry.rfind(':', typeColon - 1);
            const std::size_t itemColon = entry.rfind(':', allColon - 1);
            const LONG item = std::stol(entry.substr(itemColon + 1, allColon - itemColon - 1));
            const std::string msType = entry.substr(typeColon + 1);
            if (FAILED(hr = object.put_AllSpectra(VARIANT_FALSE)) ||
                FAILED(hr = object.put_JobRunItemID(item)) ||
                FAILED(hr = PutText(object, &_Lumbrook::put_MSType, msType))) {
                std::remove(partial.c_str());
                return ReportObjectError("choosing the spectrum", hr);
            }
            const int status = ExportOnce(object, piece);
            std::ifstream in(piece, std::ios::binary);
            out << in.rdbuf();
            in.close();
            std::remove(piece.c_str());
            if (status != kExitOk || !out) {
                out.close();
                std::remove(partial.c_str());
                if (status == kExitOk)
                    std::cerr << "lumbrook: cannot write " << partial << "\n";
                return status == kExitOk ? kExitFailed : status;
            }
        }
        out.close();
        if (!out) {
            std::remove(partial.c_str());
            std::cerr << "lumbrook: cannot write " << partial << "\n";
            return kExitFailed;
        }
    }
    if (std::rename(partial.c_str(), file.c_str()) != 0) {
        std::remove(partial.c_str());
        std::cerr << "lumbrook: cannot write " << file << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

int RunBrowse(const std::string& exportOption) {
    // The browser makes the library's folder the current directory; a relative file name
    // means the folder the user was in.
    std::optional<std::string> exportFile;
    if (!exportOption.empty()) {
        exportFile = std::filesystem::absolute(exportOption).string();
        if (const std::string why = WhyNotWritable(*exportFile); !why.empty()) {
            std::cerr << "lumbrook: " << why << "\n";
            return kExitFailed;
        }
    }

    std::string error;
    LumbrookPtr object = CreateLumbrook(error);
    if (!object) {
        std::cerr << "lumbrook: " << error << "\n";
        return kExitFailed;
    }
    VARIANT_BOOL accepted = VARIANT_FALSE;
    HRESULT hr = object->ShowDataBrowser(&accepted);
    if (FAILED(hr))
        return ReportObjectError("showing the data browser", hr);
    if (accepted == VARIANT_FALSE) {
        platform::ComPtr<ILumbrookHostSupport> support;
        std::string why;
        if (SUCCEEDED(object->QueryInterface(IID_ILumbrookHostSupport, support.out_void()))) {
            platform::Bstr text;
            if (SUCCEEDED(support->GetLastBrowserError(text.out())))
                why = text.Utf8();
        }
        std::cerr << "lumbrook: " << (why.empty() ? "nothing was selected" : why) << "\n";
        return kExitFailed;
    }

    std::string descriptor;
    std::string msType;
    std::string list;
    LONG jobRun = 0;
    LONG item = 0;
    VARIANT_BOOL all = VARIANT_FALSE;
    if (FAILED(hr = GetText(*object.get(), &_Lumbrook::get_Descriptor, descriptor)) ||
        FAILED(hr = GetText(*object.get(), &_Lumbrook::get_MSType, msType)) ||
        FAILED(hr = GetText(*object.get(), &_Lumbrook::get_DescriptorList, list)) ||
        FAILED(hr = object->get_JobRunID(&jobRun)) ||
        FAILED(hr = object->get_JobRunItemID(&item)) || FAILED(hr = object->get_AllSpectra(&all))) {
        return ReportObjectError("reading the choice", hr);
    }
    const std::vector<std::string> entries = SplitEntries(list);
    std::cout << "Descriptor=" << descriptor << "\n"
              << "MSType=" << msType << "\n"
              << "AllSpectra=" << (all != VARIANT_FALSE ? "True" : "False") << "\n"
              << "JobRunID=" << jobRun << "\n"
              << "JobRunItemID=" << item << "\n"
              << EntryCountLine(entries.size()) << "\n";
    for (const std::string& entry : entries)
        std::cout << entry << "\n";
    if (!exportFile)
        return kExitOk;
    if (const std::string why = WhyNothingToExport(all != VARIANT_FALSE, entries); !why.empty()) {
        std::cerr << "lumbrook: " << why << "\n";
        return kExitFailed;
    }
    return ExportChoice(*object.get(), *exportFile, all != VARIANT_FALSE, entries);
}

Runner DefineBrowse(CLI::App& app) {
    auto exportFile = std::make_shared<std::string>();
    app.add_option("--export", *exportFile,
                   "also export the choice into FILE: all spectra of the job run, or the "
                   "selected spectra one after the other, in the order of the list. FILE is "
                   "checked before the window opens; a choice of selected spectra with no row "
                   "selected exports nothing.")
        ->type_name("FILE");
    app.footer(
        std::string(kDescription) + "\n\n" +
        ExitStatusHelp({{kExitOk, "a choice was made (and exported, with --export)"},
                        {kExitFailed,
                         "the browser was cancelled or cannot be shown, FILE cannot be written,\n"
                         "nothing was selected to export, or the export failed"}}));
    return [exportFile] { return RunBrowse(*exportFile); };
}

const Registration kBrowse{{"browse", "show the data browser and print the choice", DefineBrowse}};

}  // namespace
}  // namespace lumbrook::host
