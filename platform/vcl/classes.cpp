#include "platform/vcl/classes.h"

#include <mutex>
#include <unordered_set>

#include "platform/vcl/filer.h"

namespace vcl {

// ------------------------------------------------------------- type info

int TEnumInfo::ValueOf(const std::string& ident) const
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (SameText(names[i], ident))
            return static_cast<int>(i);
    }
    return -1;
}

const TEnumInfo* BooleanInfo()
{
    static const TEnumInfo info{"Boolean", {"False", "True"}};
    return &info;
}

bool TPropInfo::IsStoredFor(const TObject* instance) const
{
    if (stored)
        return stored(instance);
    switch (kind) {
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::Enumeration:
    case TTypeKind::Set:
    case TTypeKind::Int64:
        return !defaultValue || getOrd(instance) != *defaultValue;
    case TTypeKind::Float: return getFloat(instance) != 0.0;
    case TTypeKind::String: return !getStr(instance).empty();
    case TTypeKind::WString: return !getWStr(instance).empty();
    case TTypeKind::Method: return !getMethod(instance).empty();
    case TTypeKind::Class: return getObject(instance) != nullptr;
    }
    return true;
}

bool TMetaClass::InheritsFrom(const TMetaClass* other) const
{
    for (const TMetaClass* c = this; c; c = c->parent_) {
        if (c == other)
            return true;
    }
    return false;
}

std::vector<const TPropInfo*> TMetaClass::AllProperties() const
{
    std::vector<const TPropInfo*> out;
    if (parent_)
        out = parent_->AllProperties();
    for (const auto& p : properties) {
        // A redeclared property takes its ancestor's place.
        auto same = std::find_if(out.begin(), out.end(), [&](const TPropInfo* q) { return SameText(q->name, p->name); });
        if (same != out.end())
            *same = p.get();
        else
            out.push_back(p.get());
    }
    return out;
}

const TPropInfo* TMetaClass::FindProperty(const std::string& name) const
{
    for (const TMetaClass* c = this; c; c = c->parent_) {
        for (const auto& p : c->properties) {
            if (SameText(p->name, name))
                return p.get();
        }
    }
    return nullptr;
}

const TMethodBinder* TMetaClass::FindMethod(const std::string& name) const
{
    for (const TMetaClass* c = this; c; c = c->parent_) {
        for (const auto& [n, binder] : c->methods) {
            if (SameText(n, name))
                return &binder;
        }
    }
    return nullptr;
}

namespace {

std::vector<TClass>& Registry()
{
    static std::vector<TClass> classes;
    return classes;
}

}  // namespace

void RegisterClass(TClass cls)
{
    if (!cls)
        return;
    for (TClass c : Registry()) {
        if (c == cls)
            return;
        if (SameText(c->ClassName(), cls->ClassName()))
            throw EFilerError(Format(consts::SDuplicateClass, cls->ClassName()));
    }
    Registry().push_back(cls);
}

void RegisterClasses(std::initializer_list<TClass> classes)
{
    for (TClass c : classes)
        RegisterClass(c);
}

void UnRegisterClass(TClass cls)
{
    std::erase(Registry(), cls);
}

TClass GetClass(const std::string& name)
{
    for (TClass c : Registry()) {
        if (SameText(c->ClassName(), name))
            return c;
    }
    return nullptr;
}

TClass FindClass(const std::string& name)
{
    TClass c = GetClass(name);
    if (!c)
        throw EClassNotFound(Format(consts::SClassNotFound, name));
    return c;
}

// ---------------------------------------------------------------- TObject

namespace {

std::mutex& LiveLock()
{
    static std::mutex m;
    return m;
}

std::unordered_set<const void*>& Live()
{
    static std::unordered_set<const void*> live;
    return live;
}

}  // namespace

TObject::TObject()
{
    std::lock_guard lock(LiveLock());
    Live().insert(this);
}

TObject::~TObject()
{
    std::lock_guard lock(LiveLock());
    Live().erase(this);
}

bool IsLiveObject(const void* object)
{
    std::lock_guard lock(LiveLock());
    return Live().count(object) != 0;
}

TClass TObject::StaticClass()
{
    static const TMetaClass* cls = new TMetaClass("TObject", nullptr);
    return cls;
}

void TObject::DispatchFrom(TClass from, TMessage& message)
{
    for (TClass c = from; c; c = c->ClassParent()) {
        auto it = c->messages.find(message.Msg);
        if (it != c->messages.end()) {
            it->second(this, message);
            return;
        }
    }
    DefaultHandler(message);
}

void TObject::Dispatch(TMessage& message) { DispatchFrom(ClassType(), message); }
void TObject::DefaultHandler(TMessage&) {}

// ------------------------------------------------------------ TPersistent

TClass TPersistent::StaticClass()
{
    static const TMetaClass* cls = new TMetaClass("TPersistent", TObject::StaticClass());
    return cls;
}

void TPersistent::Assign(TPersistent* source)
{
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest)
{
    dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* source)
{
    const AnsiString from = source ? source->ClassName() : AnsiString("nil");
    throw EConvertError(Format(consts::SAssignError, from, ClassName()));
}

AnsiString TPersistent::GetNamePath() const
{
    return ClassName();
}

void TPersistent::DefineProperties(TFiler*) {}

// ------------------------------------------------------------- TComponent

TClass TComponent::StaticClass()
{
    static const TMetaClass* cls = [] {
        auto* meta = new TMetaClass("TComponent", TPersistent::StaticClass());
        ClassBuilder<TComponent> b(*meta);
        b.Component();
        b.Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
        return meta;
    }();
    return cls;
}

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Whoever asked to hear of our end hears it now, and forgets us.
    while (!freeNotifies_.empty()) {
        TComponent* c = freeNotifies_.back();
        freeNotifies_.pop_back();
        std::erase(c->freeNotifies_, this);
        c->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError(Format(consts::SListIndexError, index));
    return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!owner_)
        return -1;
    const auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const AnsiString& name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_) {
        if (SameText(c->name_, name))
            return c;
    }
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component)
        return;
    ValidateRename(component, "", component->name_);
    Insert(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->owner_ != this)
        return;
    Notification(component, opRemove);
    Remove(component);
}

void TComponent::Insert(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    component->owner_ = nullptr;
    std::erase(components_, component);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* c = components_.back();
        Remove(c);
        delete c;
    }
}

void TComponent::Destroying()
{
    if (state_.Contains(csDestroying))
        return;
    state_.Include(csDestroying);
    for (TComponent* c : components_)
        c->Destroying();
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    if (owner_ && component->owner_ == owner_)
        return;  // siblings already hear of each other through the owner
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
        freeNotifies_.push_back(component);
        component->FreeNotification(this);
    }
    state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    std::erase(freeNotifies_, component);
    if (component)
        std::erase(component->freeNotifies_, this);
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component)
        RemoveFreeNotification(component);
    // Copy: a handler may remove or add components.
    const std::vector<TComponent*> owned = components_;
    for (TComponent* c : owned) {
        if (std::find(components_.begin(), components_.end(), c) != components_.end())
            c->Notification(component, operation);
    }
}

void TComponent::ValidateRename(TComponent* component, const AnsiString& currentName, const AnsiString& newName)
{
    if (newName.empty() || SameText(currentName, newName))
        return;
    TComponent* existing = FindComponent(newName);
    if (existing && existing != component)
        throw EComponentError(Format(consts::SDuplicateName, newName));
}

void TComponent::SetName(const AnsiString& name)
{
    if (name_ == name)
        return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError(Format(consts::SInvalidName, name));
    if (owner_)
        owner_->ValidateRename(this, name_, name);
    else
        ValidateRename(nullptr, name_, name);
    ChangeName(name);
}

AnsiString TComponent::GetNamePath() const { return name_; }

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

void TComponent::ReadState(TReader* reader) { reader->ReadData(this); }
void TComponent::WriteState(TWriter* writer) { writer->WriteData(this); }

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::SetLoadingState(bool loading)
{
    if (loading) {
        state_.Include(csLoading);
        state_.Include(csReading);
    } else {
        state_.Exclude(csReading);
    }
}

void TComponent::SetDesigning(bool designing)
{
    if (designing)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
}

bool BindEvent(TObject* instance, const TPropInfo& event, TObject* methodOwner, const std::string& methodName)
{
    if (!methodOwner || event.kind != TTypeKind::Method)
        return false;
    const TMethodBinder* binder = methodOwner->ClassType()->FindMethod(methodName);
    if (!binder)
        return false;
    event.setMethod(instance, (*binder)(methodOwner), methodName);
    return true;
}

TComponent* FindNestedComponent(TComponent* root, const AnsiString& path)
{
    TComponent* current = root;
    size_t start = 0;
    while (current && start <= path.size()) {
        const size_t dot = path.find('.', start);
        const AnsiString part = path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start);
        current = current->FindComponent(part);
        if (dot == AnsiString::npos)
            break;
        start = dot + 1;
    }
    return current;
}

}  // namespace vcl
