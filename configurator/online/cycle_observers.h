#pragma once
// Several listeners on one I/O cycle: the record, the trends and the event log each
// hear every call, in the order they were added.

#include "online/io_cycle_observer.h"

#include <algorithm>
#include <vector>

namespace korvo {

class CycleObservers : public IoCycleObserver {
public:
    void Add(IoCycleObserver* observer) {
        if (observer != nullptr && std::find(list_.begin(), list_.end(), observer) == list_.end()) {
            list_.push_back(observer);
        }
    }
    void Remove(IoCycleObserver* observer) { std::erase(list_, observer); }

    void TestStarted() override {
        for (auto* o : list_) o->TestStarted();
    }
    void InputsRead(const std::uint8_t* image, int length) override {
        for (auto* o : list_) o->InputsRead(image, length);
    }
    void ChannelRead(int slot, int channel, std::int32_t value) override {
        for (auto* o : list_) o->ChannelRead(slot, channel, value);
    }
    void OutputsWritten(const std::uint8_t* image, int length) override {
        for (auto* o : list_) o->OutputsWritten(image, length);
    }
    void CycleEnded() override {
        for (auto* o : list_) o->CycleEnded();
    }
    void CycleStopped(const std::string& status) override {
        for (auto* o : list_) o->CycleStopped(status);
    }
    void Reconnected() override {
        for (auto* o : list_) o->Reconnected();
    }
    void OutputsSwitchedOff(const std::uint8_t* image, int length) override {
        for (auto* o : list_) o->OutputsSwitchedOff(image, length);
    }

private:
    std::vector<IoCycleObserver*> list_;
};

}  // namespace korvo
