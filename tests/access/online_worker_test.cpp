// The online worker: every call on its one thread, in the order handed in, one at a
// time; a cancelled wait returns at once and refuses the command's further calls,
// while what was handed in goes on; a cancelled opening leaves no node open; the
// images come back as the library filled them.

#include "online_fixture.h"

#include "access/call_failure.h"
#include "access/online_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>
#include <thread>

namespace korvo {
namespace {

using namespace std::chrono_literals;

// Waits like the window does, with a cancel another thread presses.
class CancellableWaiter final : public CallWaiter {
public:
    bool WaitUntil(const std::function<bool()>& done) override {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return done() || cancelled_; });
        return done();
    }
    void Wake() override {
        { const std::lock_guard lock(mutex_); }
        changed_.notify_all();
    }
    bool Pause(std::uint32_t ms) override {
        std::unique_lock lock(mutex_);
        return !changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return cancelled_; });
    }
    bool Cancelled() const override {
        const std::lock_guard lock(mutex_);
        return cancelled_;
    }
    void Cancel() {
        {
            const std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        changed_.notify_all();
    }
    void CommandEnded() {
        const std::lock_guard lock(mutex_);
        cancelled_ = false;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool cancelled_ = false;
};

TEST(OnlineWorker, CallsOfSeveralCallersRunOneAtATimeOnOneThreadInTheirOrder) {
    OnlineWorker worker(BlockingWaiter());
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::mutex seenMutex;
    std::set<std::thread::id> workerThreads;
    std::vector<std::vector<int>> order(3);
    const auto caller = [&](int who) {
        for (int i = 0; i < 40; ++i) {
            const std::uint32_t result = worker.Run([&, who, i] {
                if (running.fetch_add(1) != 0) overlapped = true;
                {
                    const std::lock_guard lock(seenMutex);
                    workerThreads.insert(std::this_thread::get_id());
                    order[static_cast<std::size_t>(who)].push_back(i);
                }
                std::this_thread::yield();
                running.fetch_sub(1);
                return static_cast<std::uint32_t>(who * 100 + i);
            });
            EXPECT_EQ(result, static_cast<std::uint32_t>(who * 100 + i));
        }
    };
    std::thread a(caller, 0), b(caller, 1);
    caller(2);
    a.join();
    b.join();
    EXPECT_FALSE(overlapped);
    ASSERT_EQ(workerThreads.size(), 1u);
    EXPECT_EQ(workerThreads.count(std::this_thread::get_id()), 0u);
    for (const std::vector<int>& calls : order) {
        ASSERT_EQ(calls.size(), 40u);
        for (int i = 0; i < 40; ++i) EXPECT_EQ(calls[static_cast<std::size_t>(i)], i);
    }
}

TEST(OnlineWorker, CancelledWaitReturnsAtOnceAndRefusesTheRestButNeverAClose) {
    CancellableWaiter waiter;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> slowFinished{false};
    std::atomic<bool> refusedRan{false};
    std::atomic<bool> closeRan{false};
    {
        OnlineWorker worker(waiter);
        std::thread canceller([&] {
            std::this_thread::sleep_for(50ms);
            waiter.Cancel();
        });
        const std::uint32_t slow = worker.Run([&] {
            released.wait();
            slowFinished = true;
            return DDI_OK;
        });
        canceller.join();
        EXPECT_EQ(slow, kCallCancelled);
        EXPECT_FALSE(slowFinished) << "the wait ended before the call, which goes on";
        EXPECT_EQ(worker.Run([&] {
            refusedRan = true;
            return DDI_OK;
        }),
                  kCallCancelled);
        EXPECT_EQ(worker.Run(
                      [&] {
                          closeRan = true;
                          return DDI_OK;
                      },
                      true),
                  kCallCancelled);
        release.set_value();
    }
    EXPECT_TRUE(slowFinished);
    EXPECT_FALSE(refusedRan);
    EXPECT_TRUE(closeRan) << "a close is queued behind the cancelled call, never dropped";
    waiter.CommandEnded();
    OnlineWorker next(waiter);
    EXPECT_EQ(next.Run([] { return 7u; }), 7u) << "the next command runs again";
    EXPECT_EQ(CallFailureReason(kCallCancelled), "cancelled by the user");
}

class WorkerAccessTest : public testing::OnlineTest {
protected:
    void SetUp() override {
        OnlineTest::SetUp();
        Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}));
        worker_ = std::make_unique<OnlineWorker>(waiter_);
        access_ = std::make_unique<ControllerAccess>(model_->CurrentIP, clock_, *worker_);
    }
    void TearDown() override {
        waiter_.CommandEnded();
        if (worker_) access_->CloseNodePair();
        access_.reset();
        worker_.reset();
        OnlineTest::TearDown();
    }
    std::size_t OpenNodes() {
        return simulator_.controller().openNodes(sim::kMailboxNode).size() +
               simulator_.controller().openNodes(sim::kDataNode).size();
    }

    CancellableWaiter waiter_;
    std::unique_ptr<OnlineWorker> worker_;
};

TEST_F(WorkerAccessTest, CancelledOpeningClosesWhatItOpenedBehindTheWait) {
    simulator_.inject(sim::Fault::late(0x0101, 400ms));
    std::thread canceller([&] {
        std::this_thread::sleep_for(100ms);
        waiter_.Cancel();
    });
    EXPECT_EQ(access_->OpenNodePair(), kCallCancelled);
    canceller.join();
    EXPECT_TRUE(access_->NodesClosed());
    // Everything handed in has run once the worker has ended.
    worker_.reset();
    EXPECT_EQ(OpenNodes(), 0u);
}

TEST_F(WorkerAccessTest, ImagesAndConfirmationsComeBackAsTheLibraryFilledThem) {
    ASSERT_EQ(access_->OpenNodePair(), DDI_OK);
    EXPECT_EQ(OpenNodes(), 2u);
    EXPECT_EQ(access_->Exchange(CmdReadConfiguration, access_->MailboxNode), DDI_OK);
    EXPECT_EQ(access_->MailboxBuffer[0], 0x830B);
    EXPECT_EQ(access_->MailboxBuffer[7], 2) << "two modules behind the coupler";
    station_->stop();
    const std::uint8_t inputs[] = {0x12, 0x34};
    simulator_.controller().setInputs(0, inputs);
    ASSERT_EQ(access_->ReadProcessData(access_->DataNode, 0, 2), DDI_OK);
    EXPECT_EQ(access_->InputImage[0], 0x12);
    EXPECT_EQ(access_->InputImage[1], 0x34);
    access_->OutputImage[0] = 0xA5;
    access_->OutputImage[1] = 0x0F;
    ASSERT_EQ(access_->WriteProcessData(access_->DataNode, 0, 2), DDI_OK);
    EXPECT_EQ(simulator_.controller().outputs(0, 2), (sim::Bytes{0xA5, 0x0F}));
    std::uint16_t status = 0;
    EXPECT_EQ(access_->ReadStatusRegister(status), DDI_OK);
    EXPECT_NE(status, 0u);
    EXPECT_EQ(access_->CloseNodePair(), DDI_OK);
    EXPECT_EQ(OpenNodes(), 0u);
}

}  // namespace
}  // namespace korvo
