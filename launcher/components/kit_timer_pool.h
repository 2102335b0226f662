#pragma once

// Many logical timers on one window timer: each item runs on every
// divider-th tick of the pool, where the divider is the item's interval over
// the pool's MinInterval.

#include <functional>
#include <vector>

#include "launcher/components/kit_base.h"

namespace kit {

class TKitTimerPool;

inline constexpr const char* kIntervalNotCompatible = "Interval not compatible with MinInterval property!";

// A callback of one item, given the item's user object.
using TKitTimerCallback = std::function<void(vcl::TObject* user)>;
using TKitTimerEvent = vcl::TEvent<vcl::TObject*, WORD, int>;

class TKitTimerItem : public vcl::TObject {
    VCL_DECLARE_CLASS(TKitTimerItem, vcl::TObject)
public:
    TKitTimerItem(TKitTimerPool* pool, WORD ident);

    TKitTimerPool* Pool() const { return pool_; }
    WORD Ident() const { return ident_; }
    int MaxCalls() const { return maxCalls_; }  // -1: no limit
    void SetMaxCalls(int value) { maxCalls_ = value; }
    int Counter() const { return counter_; }
    void ResetCounter() { counter_ = 0; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int Interval() const { return interval_; }
    // EInvalidOperation when not a multiple of the pool's MinInterval.
    void SetInterval(int value);
    int Divider() const { return divider_; }
    void SetCallback(TKitTimerCallback callback, vcl::TObject* user);

private:
    friend class TKitTimerPool;
    void Fire();

    TKitTimerPool* pool_;
    WORD ident_;
    int maxCalls_ = -1;
    int counter_ = 0;
    bool enabled_ = true;
    int interval_ = 1000;
    int divider_ = 1;
    TKitTimerCallback callback_;
    vcl::TObject* user_ = nullptr;
};

class TKitTimerPool : public TKitCustomComponent {
    VCL_DECLARE_CLASS(TKitTimerPool, TKitCustomComponent)
public:
    explicit TKitTimerPool(vcl::TComponent* owner);
    ~TKitTimerPool() override;

    int MinInterval() const { return minInterval_; }
    // Taken only while loading or at design time.
    void SetMinInterval(int value);

    // EListError when `ident` is in use; EInvalidOperation when `interval`
    // does not suit MinInterval; EOutOfResources when no window timer is left.
    TKitTimerItem* Add(WORD ident, int interval);
    TKitTimerItem* Find(WORD ident) const;
    void Remove(WORD ident);
    int Count() const { return static_cast<int>(items_.size()); }
    TKitTimerItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    int Ticks() const { return ticks_; }
    bool Running() const { return running_; }

    TKitTimerEvent OnTimer;

protected:
    void Change() override { Restart(); }

private:
    friend class TKitApplication;
    friend class TKitTimerItem;
    void Restart();
    void WndProc(vcl::TMessage& message);
    void Tick();
    void FireItem(TKitTimerItem* item);
    void CheckInterval(int interval) const;

    std::vector<TKitTimerItem*> items_;
    std::vector<TKitTimerItem*> retired_;
    int minInterval_ = 1000;
    int ticks_ = 0;
    HWND window_ = nullptr;
    bool running_ = false;
    bool inTick_ = false;
};

}  // namespace kit
