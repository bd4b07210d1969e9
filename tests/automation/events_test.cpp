#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "automation/event_source.h"
#include "lumbrook/progress_sink.h"
#include "platform/com/guid.h"
#include "support/object_support.h"

namespace lumbrook::automation {
namespace {

using lumbrook::ProgressSink;
using platform::ComPtr;

// A sink that records the Progress events it receives and fails each of them, since a failing
// sink must not stop the others.
struct RecordingSink {
    std::vector<std::pair<LONG, LONG>> events;
    ProgressSink sink{[this](LONG done, LONG total) {
        events.emplace_back(done, total);
        return E_FAIL;
    }};
};

ComPtr<IConnectionPointContainer> Container(_Lumbrook& object) {
    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(object.QueryInterface(IID_IConnectionPointContainer, container.out_void()), S_OK);
    return container;
}

ComPtr<IConnectionPoint> ProgressPoint(_Lumbrook& object) {
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(Container(object)->FindConnectionPoint(DIID___Lumbrook, point.out()), S_OK);
    return point;
}

TEST(Events, TheObjectOffersOneConnectionPointForProgress) {
    auto object = testing::NewObject();
    const ComPtr<IConnectionPointContainer> container = Container(*object);
    ComPtr<IConnectionPoint> other;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, other.out()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(other);

    ComPtr<IConnectionPoint> point = ProgressPoint(*object);
    ASSERT_TRUE(point);
    ComPtr<IConnectionPointContainer> back;
    EXPECT_EQ(point->GetConnectionPointContainer(back.out()), S_OK);
    EXPECT_EQ(back.get(), container.get());
}

// How many references the object holds on a sink while it is advised, after Unadvise and
// after the object's end: tests/python, test_nothing_leaks_and_release_closes_the_connection.
TEST(Events, AdviseTakesOnlySinksAndUnadviseOnlyTheirCookies) {
    auto object = testing::NewObject();
    ComPtr<IConnectionPoint> point = ProgressPoint(*object);
    ProgressSink sink([](LONG, LONG) { return S_OK; });
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(point->Unadvise(cookie + 1), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);

    // The connection point itself is no sink of the events, nor any IDispatch.
    DWORD none = 7;
    EXPECT_EQ(point->Advise(point.get(), &none), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(none, 0u);
}

TEST(Events, ProgressReachesEverySinkWithDoneAndTotal) {
    auto object = testing::NewObject();
    const ComPtr<IConnectionPointContainer> container = Container(*object);
    EventSource source(container.get());
    EXPECT_FALSE(source.HasSinks());
    source.FireProgress(1, 2);  // no sink: nothing happens

    RecordingSink first;
    RecordingSink second;
    DWORD a = 0;
    DWORD b = 0;
    ASSERT_EQ(source.Advise(&first.sink, &a), S_OK);
    ASSERT_EQ(source.Advise(&second.sink, &b), S_OK);
    EXPECT_NE(a, b);
    EXPECT_TRUE(source.HasSinks());
    source.FireProgress(3, 10);
    source.FireProgress(4, 10);
    const std::vector<std::pair<LONG, LONG>> expected{{3, 10}, {4, 10}};
    EXPECT_EQ(first.events, expected);
    EXPECT_EQ(second.events, expected);
    source.Clear();
}

}  // namespace
}  // namespace lumbrook::automation
