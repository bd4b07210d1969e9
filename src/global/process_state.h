// The process-wide state of modGlobal: the browser hand-over record, the browser's shared
// connection, the connection string in use and the flags shared between the browser and the
// automation object, whose DoExport keeps the export flags for the engine. It outlives every
// Lumbrook instance, and it sits below both, so that neither reaches into the other for it.
//
// Everything here is used on the host's thread only (single-threaded apartment), so there
// is no locking. The procedures of modGlobal live in their subsystems' folders:
// ProbeDatabase in database/, ExportPeakLists in export/, ReadSetting and WriteSetting in
// settings/, ActivatePrevInstance in util/.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "database/connection.h"

namespace lumbrook {

// The record through which the browser returns the user's choice to ShowDataBrowser.
struct BrowserHandoverRecord {
    std::string Descriptor;
    std::string MSType;
    bool AllSpectra = false;
    std::int32_t JobRunID = 0;
    std::int32_t JobRunItemID = 0;
    bool Accepted = false;
    std::string DescriptorList;

    // Every field back to its empty value, as ShowDataBrowser does before it shows the browser.
    void Reset() { *this = BrowserHandoverRecord{}; }
};

// The state itself; one instance lives for the whole process (see Global()).
struct ModGlobal {
    BrowserHandoverRecord BrowserHandover;
    // The browser's connection: opened when the browser window loads, closed when it unloads.
    std::unique_ptr<database::Connection> sharedConnection;
    // The connection string sharedConnection is opened with; the connection dialog edits it.
    std::string connectionStringInUse;
    // Set by ProbeDatabase: true makes the next export read the BASE_ views.
    bool useBaseViews = false;
    // True while a batched export runs (kept by DoExport).
    bool exportRunning = false;
    // Set by Cancel and by a close request to the browser during an export; cleared when a
    // batched export starts. Lock-free, so that Cancel may set it from a signal handler.
    std::atomic<bool> cancelRequested = false;
    static_assert(std::atomic<bool>::is_always_lock_free);
};

// The one instance of the process: the adopted one once AdoptGlobal was called, else this
// library's own, made on first use. The own one's destructor runs at exit and closes the
// shared connection if one is still open.
ModGlobal& Global();

// Makes `state` the instance Global() returns. The data browser module calls it with the
// server's state, so that a module loaded with its own copy of this code shares the server's
// record, connection and flags rather than a second set.
void AdoptGlobal(ModGlobal& state);

}  // namespace lumbrook
