#include "launcher/components/kit_timer_pool.h"

#include <algorithm>
#include <limits>

#include "platform/vcl/forms.h"
#include "platform/user/winuser.h"

namespace kit {

VCL_IMPLEMENT_CLASS(TKitTimerItem, vcl::TObject, [](auto&) {})
VCL_IMPLEMENT_CLASS(TKitTimerPool, TKitCustomComponent, [](auto& b) {
    b.Component();
    b.Int("MinInterval", &TKitTimerPool::MinInterval, &TKitTimerPool::SetMinInterval, 1000);
    b.Event("OnTimer", &TKitTimerPool::OnTimer);
    b.Str("About", &TKitTimerPool::About, &TKitTimerPool::SetAbout).stored = [](const vcl::TObject*) { return false; };
})

namespace {
constexpr UINT_PTR kPoolTimerId = 1;
}

// ------------------------------------------------------------ TKitTimerItem

TKitTimerItem::TKitTimerItem(TKitTimerPool* pool, WORD ident) : pool_(pool), ident_(ident)
{
    divider_ = std::max(interval_ / std::max(pool_->MinInterval(), 1), 1);
}

void TKitTimerItem::SetEnabled(bool value)
{
    enabled_ = value;
    // Disabling leaves the pool's window timer as it is; an enabled item
    // needs it running.
    if (value && !pool_->Running())
        pool_->Restart();
}

void TKitTimerItem::SetInterval(int value)
{
    pool_->CheckInterval(value);
    interval_ = value;
    divider_ = value / pool_->MinInterval();
}

void TKitTimerItem::SetCallback(TKitTimerCallback callback, vcl::TObject* user)
{
    callback_ = std::move(callback);
    user_ = user;
}

void TKitTimerItem::Fire()
{
    if (counter_ < std::numeric_limits<int>::max())
        ++counter_;
    if (maxCalls_ != -1 && counter_ >= maxCalls_)
        enabled_ = false;
    if (callback_)
        callback_(user_);
    else
        pool_->OnTimer(pool_, ident_, counter_);
}

// ------------------------------------------------------------ TKitTimerPool

TKitTimerPool::TKitTimerPool(vcl::TComponent* owner) : TKitCustomComponent(owner) {}

TKitTimerPool::~TKitTimerPool()
{
    if (window_) {
        KillTimer(window_, kPoolTimerId);
        vcl::DeallocateHWnd(window_);
    }
    for (TKitTimerItem* item : items_)
        delete item;
}

void TKitTimerPool::SetMinInterval(int value)
{
    const auto state = ComponentState();
    if (!state.Contains(vcl::csLoading) && !state.Contains(vcl::csDesigning))
        return;
    if (value > 0 && value != minInterval_) {
        minInterval_ = value;
        NotifyChange();
    }
}

void TKitTimerPool::CheckInterval(int interval) const
{
    if (interval < minInterval_ || interval % minInterval_ != 0)
        throw vcl::EInvalidOperation(kIntervalNotCompatible);
}

TKitTimerItem* TKitTimerPool::Add(WORD ident, int interval)
{
    if (Find(ident))
        throw vcl::EListError(vcl::Format(vcl::consts::SListIndexError, ident));
    CheckInterval(interval);
    auto* item = new TKitTimerItem(this, ident);
    item->interval_ = interval;
    item->divider_ = interval / minInterval_;
    items_.push_back(item);
    NotifyChange();
    return item;
}

TKitTimerItem* TKitTimerPool::Find(WORD ident) const
{
    const auto it = std::find_if(items_.begin(), items_.end(), [ident](TKitTimerItem* i) { return i->Ident() == ident; });
    return it == items_.end() ? nullptr : *it;
}

void TKitTimerPool::Remove(WORD ident)
{
    const auto it = std::find_if(items_.begin(), items_.end(), [ident](TKitTimerItem* i) { return i->Ident() == ident; });
    if (it == items_.end())
        return;
    TKitTimerItem* item = *it;
    item->enabled_ = false;
    items_.erase(it);
    // An item may remove itself from its own callback: it then lives until
    // the tick is over.
    if (inTick_)
        retired_.push_back(item);
    else
        delete item;
    NotifyChange();
}

void TKitTimerPool::Restart()
{
    if (!window_)
        window_ = vcl::AllocateHWnd([this](vcl::TMessage& m) { WndProc(m); });
    KillTimer(window_, kPoolTimerId);
    running_ = false;
    const bool anyEnabled = std::any_of(items_.begin(), items_.end(), [](TKitTimerItem* i) { return i->Enabled(); });
    if (!anyEnabled)
        return;
    if (SetTimer(window_, kPoolTimerId, static_cast<UINT>(minInterval_), nullptr) == 0)
        throw vcl::EOutOfResources(vcl::consts::SOutOfResources);
    running_ = true;
}

void TKitTimerPool::WndProc(vcl::TMessage& message)
{
    if (message.Msg == WM_TIMER) {
        if (inTick_)
            return;
        inTick_ = true;
        Tick();
        inTick_ = false;
        for (TKitTimerItem* item : retired_)
            delete item;
        retired_.clear();
        return;
    }
    message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
}

void TKitTimerPool::FireItem(TKitTimerItem* item)
{
    try {
        item->Fire();
    } catch (...) {
        if (vcl::Application)
            vcl::Application->HandleException(this);
    }
}

void TKitTimerPool::Tick()
{
    // A callback may add or remove items, so the walk goes over a copy and
    // skips items that are gone.
    const std::vector<TKitTimerItem*> items = items_;
    for (TKitTimerItem* item : items) {
        if (std::find(items_.begin(), items_.end(), item) == items_.end())
            continue;
        if (item->Enabled() && item->Divider() > 0 && ticks_ % item->Divider() == 0)
            FireItem(item);
    }
    ticks_ = ticks_ == std::numeric_limits<int>::max() ? 0 : ticks_ + 1;
}

}  // namespace kit
