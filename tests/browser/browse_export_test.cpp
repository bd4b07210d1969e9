// `lumbrook browse --export` as a person uses it under a real X server with a window manager:
// the host's own window is driven with keys sent through the X server, since it belongs to
// another process.
#include <fcntl.h>  // open: releasing a FIFO's reader
#include <sys/stat.h>
#include <sys/uio.h>  // iovec, for a request xcb has no function for
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "fixture.h"

namespace lumbrook::testing {
namespace {

// A reply of the X server, freed as xcb wants.
template <typename T>
struct Reply : std::unique_ptr<T, decltype(&std::free)> {
    explicit Reply(T* reply) : std::unique_ptr<T, decltype(&std::free)>(reply, &std::free) {}
};

// One connection to the X server of DISPLAY, for finding a window and typing into it.
class XKeyboard {
  public:
    XKeyboard() : connection_(xcb_connect(nullptr, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }
    ~XKeyboard() { xcb_disconnect(connection_); }

    // The window that the window manager lists for process `pid`, waited for for up to 20
    // seconds; XCB_NONE when none appears.
    xcb_window_t WaitForWindow(qint64 pid) {
        for (int attempt = 0; attempt < 200; QTest::qWait(100), ++attempt) {
            const std::string windows = Property(root_, "_NET_CLIENT_LIST");
            for (std::size_t i = 0; i + 4 <= windows.size(); i += 4) {
                xcb_window_t window = 0;
                quint32 owner = 0;
                std::memcpy(&window, windows.data() + i, 4);
                std::memcpy(&owner, (Property(window, "_NET_WM_PID") + "    ").data(), 4);
                if (owner == pid)
                    return window;
            }
        }
        return XCB_NONE;
    }

    // Gives `window` the input focus, then presses and releases each key in turn through the
    // XTEST extension (its FakeInput request), so that they arrive as a keyboard's own do.
    void Type(xcb_window_t window, std::initializer_list<xcb_keysym_t> keys) {
        xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        xcb_flush(connection_);
        QTest::qWait(500);
        static xcb_extension_t xtest = {"XTEST", 0};
        const xcb_protocol_request_t fakeInput = {1, &xtest, 2, 1};
        for (const xcb_keysym_t key : keys) {
            for (const std::uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
                // Opcode and length (filled in by xcb), type and key code, then zeros.
                std::uint8_t request[36] = {0, 2, 0, 0, type, KeyCode(key)};
                iovec parts[3] = {{}, {}, {request, sizeof request}};
                xcb_send_request(connection_, 0, parts + 2, &fakeInput);
            }
            xcb_flush(connection_);
            QTest::qWait(200);
        }
    }

  private:
    // The bytes of a property of `window`; empty when it has none.
    std::string Property(xcb_window_t window, const char* name) {
        const Reply atom(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr));
        const Reply value(
            xcb_get_property_reply(connection_,
                                   xcb_get_property(connection_, 0, window, atom->atom,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                                   nullptr));
        if (!value)
            return {};
        return std::string(static_cast<const char*>(xcb_get_property_value(value.get())),
                           xcb_get_property_value_length(value.get()));
    }

    // The key code whose first key symbol is `key`.
    xcb_keycode_t KeyCode(xcb_keysym_t key) {
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        const Reply map(xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count),
            nullptr));
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(map.get());
        for (int code = 0; code < count; ++code) {
            if (symbols[code * map->keysyms_per_keycode] == key)
                return static_cast<xcb_keycode_t>(setup->min_keycode + code);
        }
        return 0;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
};

constexpr xcb_keysym_t kTab = 0xff09, kDown = 0xff54, kReturn = 0xff0d;

// Onto the database it reads the export is refused and the database stays as it was; into a
// FIFO it writes directly, the reader gets every spectrum, and the FIFO stays one. The choice
// is made with keys only: from the tree, which has the focus, Down to "Alpha set", Tab through
// the job-run list to Select, and Enter.
TEST(BrowseExport, RefusesTheDatabaseBeingReadAndWritesIntoAFifo) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X server";
    const FixtureDatabase db(BrowseRows());
    StoreConnection(db.ConnectionString());
    const std::string fifo = db.File("peaks.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string before = ReadFile(db.Path());
    XKeyboard keyboard;
    for (const std::string& target : {db.Path(), fifo}) {
        std::future<std::string> read;
        if (target == fifo)
            read = std::async(std::launch::async, [&fifo] { return ReadFile(fifo); });
        // Should the host never open the FIFO, its reader is let go at the end of the round.
        const std::unique_ptr<const std::string, void (*)(const std::string*)> release(
            &fifo,
            [](const std::string* path) { ::close(::open(path->c_str(), O_WRONLY | O_NONBLOCK)); });
        QProcess host;
        host.start(LUMBROOK_HOST, {"browse", "--export", QString::fromStdString(target)});
        ASSERT_TRUE(host.waitForStarted(10000));
        const xcb_window_t window = keyboard.WaitForWindow(host.processId());
        ASSERT_NE(window, static_cast<xcb_window_t>(XCB_NONE));
        keyboard.Type(window, {kDown, kTab, kTab, kReturn});
        // The host may have ended while the keys were typed.
        ASSERT_TRUE(host.state() == QProcess::NotRunning || host.waitForFinished(60000)) << target;
        const std::string errors = host.readAllStandardError().toStdString();
        if (target == fifo) {
            EXPECT_EQ(host.exitCode(), 0) << errors;
            EXPECT_EQ(QString::fromStdString(read.get()).count("BEGIN IONS"), 10);  // the job run
            struct stat status {};
            EXPECT_TRUE(::stat(fifo.c_str(), &status) == 0 && S_ISFIFO(status.st_mode));
        } else {
            EXPECT_EQ(host.exitCode(), 3) << errors;  // the object's error, as for export
            EXPECT_NE(errors.find("is the database being read"), std::string::npos) << errors;
            EXPECT_EQ(ReadFile(db.Path()), before);
        }
    }
}

}  // namespace
}  // namespace lumbrook::testing
