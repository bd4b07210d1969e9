// lumbrook browse: shows the data browser; on "Select" prints the choice, and
// with --export also exports it.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browse_choice.h"
#include "command.h"
#include "connect_options.h"
#include "export_call.h"
#include "lumbrook/bstr.h"
#include "server.h"

namespace lumbrook::host {
namespace {

constexpr const char* kDescription =
    "Shows the data browser. On Select prints Descriptor, MSType, AllSpectra, JobRunID,\n"
    "JobRunItemID and DescriptorList as Name=value lines, then each DescriptorList entry on\n"
    "a line of its own.";

// Exports the browser's choice, the object's DescriptorList, into `file` ("-": standard output)
// through the object's list export: the whole job run, or each selected spectrum in the order
// of the list. The file is written as `lumbrook export` writes it, in the format its name asks
// for, with its stop signals, progress line and summary line.
int ExportChoice(_Lumbrook& object, const std::string& file, long jobRun) {
    if (const int status = ConnectObject(object, "browse"); status != kExitOk)
        return status;
    // The format the file's name asks for, as with `lumbrook export`.
    if (const int status = SetOutputFormat(object, "", file); status != kExitOk)
        return status;
    const StopSignals stopSignals(object);
    Outcome outcome;
    const ExportSummary summary =
        ExportOnce(object, ExportCall::DoExportList, file, jobRun, 0, false, outcome);
    if (FAILED(outcome.hr)) {
        std::cerr << "lumbrook: DoExportList: " << outcome.error << "\n";
        return kExitObjectError;
    }
    Report("browse", summary, false, false);
    return StatusOf(summary);
}

int RunBrowse(const std::string& exportOption) {
    // The browser makes the library's folder the current directory; a relative file name
    // means the folder the user was in.
    std::optional<std::string> exportFile;
    if (exportOption == "-") {
        exportFile = exportOption;
    } else if (!exportOption.empty()) {
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
    // With --export - the peak list takes standard output, and the choice goes to stderr.
    std::ostream& choice = exportFile == "-" ? std::cerr : std::cout;
    choice << "Descriptor=" << descriptor << "\n"
           << "MSType=" << msType << "\n"
           << "AllSpectra=" << (all != VARIANT_FALSE ? "True" : "False") << "\n"
           << "JobRunID=" << jobRun << "\n"
           << "JobRunItemID=" << item << "\n"
           << EntryCountLine(entries.size()) << "\n";
    for (const std::string& entry : entries)
        choice << entry << "\n";
    if (!exportFile)
        return kExitOk;
    if (const std::string why = WhyNothingToExport(all != VARIANT_FALSE, entries); !why.empty()) {
        std::cerr << "lumbrook: " << why << "\n";
        return kExitFailed;
    }
    return ExportChoice(*object.get(), *exportFile, jobRun);
}

Runner DefineBrowse(CLI::App& app) {
    auto exportFile = std::make_shared<std::string>();
    app.add_option("--export", *exportFile,
                   "also export the choice into FILE, as 'lumbrook export' writes a file: all "
                   "spectra of the job run, or the selected spectra one after the other, in "
                   "the order of the list; - for standard output (the choice is then printed "
                   "on stderr). FILE's folder is checked before the window opens; a choice of "
                   "selected spectra with no row selected exports nothing.")
        ->type_name("FILE");
    app.footer(
        std::string(kDescription) + "\n\n" +
        ExitStatusHelp({{kExitOk, "a choice was made (and exported, with --export)"},
                        {kExitFailed,
                         "the browser was cancelled or cannot be shown, FILE cannot be written,\n"
                         "nothing was selected to export, the export returned false, or Ctrl-C"}}));
    return [exportFile] { return RunBrowse(*exportFile); };
}

const Registration kBrowse{{"browse", "show the data browser and print the choice", DefineBrowse}};

}  // namespace
}  // namespace lumbrook::host
