#pragma once

// The object, persistent and component model: class types with published
// properties and methods, message methods dispatched by number up the class
// chain, ownership with notifications, and names.

#include <algorithm>
#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/vcl/sysutils.h"
#include "platform/vcl/typinfo.h"
#include "platform/win32/wintypes.h"

namespace vcl {

class TFiler;
class TReader;
class TWriter;
class TStream;

// A message as message methods see it.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    WORD WParamLo() const { return LOWORD(WParam); }
    WORD WParamHi() const { return HIWORD(WParam); }
    WORD LParamLo() const { return LOWORD(static_cast<DWORD_PTR>(LParam)); }
    WORD LParamHi() const { return HIWORD(static_cast<DWORD_PTR>(LParam)); }
};

// A set of up to 32 enumeration values, as bits by ordinal.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values)
    {
        for (E v : values)
            bits_ |= Bit(v);
    }
    static constexpr TSet FromBits(std::uint32_t bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr TSet& Include(E v)
    {
        bits_ |= Bit(v);
        return *this;
    }
    constexpr TSet& Exclude(E v)
    {
        bits_ &= ~Bit(v);
        return *this;
    }
    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr std::uint32_t Bit(E v) { return 1u << static_cast<unsigned>(v); }
    std::uint32_t bits_ = 0;
};

// An event: a callable bound to a method, with the published name of that
// method when it came from a form's method table (for streaming).
template <class... A>
class TEvent {
public:
    using Function = std::function<void(A...)>;
    TEvent() = default;
    template <class F>
        requires(std::is_constructible_v<Function, F> && !std::is_same_v<std::decay_t<F>, TEvent> &&
                 !std::is_same_v<std::decay_t<F>, std::nullptr_t>)
    TEvent(F&& f) : fn(std::forward<F>(f))
    {
    }
    TEvent(std::nullptr_t) {}
    explicit operator bool() const { return static_cast<bool>(fn); }
    void operator()(A... args) const
    {
        if (!fn)
            return;
        // A handler may clear or replace its own event while it runs (a
        // one-shot idle handler does), which would free the closure under it.
        const Function running = fn;
        running(args...);
    }
    Function fn;
    std::string methodName;
};

class TObject;
using TNotifyEvent = TEvent<TObject*>;

class TObject {
public:
    TObject();
    virtual ~TObject();
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static TClass StaticClass();
    virtual TClass ClassType() const { return StaticClass(); }
    AnsiString ClassName() const { return ClassType()->ClassName(); }
    bool InheritsFrom(TClass cls) const { return ClassType()->InheritsFrom(cls); }
    template <class T>
    bool Is() const
    {
        return InheritsFrom(T::StaticClass());
    }

    // Finds the message method for Message.Msg in this class or its
    // ancestors; without one, DefaultHandler.
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);
    // The message handling of the ancestors of `from`, for message methods
    // that call their inherited handler.
    void DispatchFrom(TClass from, TMessage& message);

    void Free() { delete this; }
};

// Whether `object` is a live object of the library: messages that carry an
// object pointer check it before following it.
bool IsLiveObject(const void* object);

class TPersistent : public TObject {
public:
    using inherited = TObject;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    virtual void Assign(TPersistent* source);
    virtual AnsiString GetNamePath() const;
    virtual void DefineProperties(TFiler* filer);
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    friend class TWriter;
    friend class TReader;
    virtual void AssignTo(TPersistent* dest);
    [[noreturn]] void AssignError(TPersistent* source);
};

enum TOperation { opInsert, opRemove };
enum TComponentStateItem {
    csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
    csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;
enum TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleItem>;

class TComponent;
using TGetChildProc = std::function<void(TComponent* child)>;

class TComponent : public TPersistent {
public:
    using inherited = TPersistent;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const AnsiString& Name() const { return name_; }
    virtual void SetName(const AnsiString& name);
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;  // EListError when out of range
    int ComponentIndex() const;
    TComponent* FindComponent(const AnsiString& name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();
    void Destroying();

    TComponentState ComponentState() const { return state_; }
    TComponentStyle ComponentStyle() const { return style_; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    // `component` is told through Notification when this one is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent*) {}
    virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
    virtual TComponent* GetChildOwner() { return nullptr; }
    virtual TComponent* GetChildParent() { return this; }
    virtual void SetChildOrder(TComponent*, int) {}
    AnsiString GetNamePath() const override;

    virtual void ReadState(TReader* reader);
    virtual void WriteState(TWriter* writer);
    virtual void Loaded();

    // The library's loading flags, set by the reader.
    void SetLoadingState(bool loading);
    void SetDesigning(bool designing);
    void Updating() { state_.Include(csUpdating); }
    void Updated() { state_.Exclude(csUpdating); }

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void ValidateRename(TComponent* component, const AnsiString& currentName, const AnsiString& newName);
    void ChangeName(const AnsiString& name) { name_ = name; }
    TComponentStyle style_;

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);

    TComponent* owner_ = nullptr;
    AnsiString name_;
    int tag_ = 0;
    TComponentState state_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};

// ------------------------------------------------------------ class tables

// Declares a class's meta class inside its body.
#define VCL_DECLARE_CLASS(Name, Parent)                                  \
public:                                                                  \
    using inherited = Parent;                                            \
    static ::vcl::TClass StaticClass();                                  \
    ::vcl::TClass ClassType() const override { return StaticClass(); } \
                                                                         \
private:

// Defines it in one source file; `Declare` fills a ClassBuilder<Name>.
#define VCL_IMPLEMENT_CLASS(Name, Parent, Declare)                                             \
    ::vcl::TClass Name::StaticClass()                                                          \
    {                                                                                          \
        static const ::vcl::TMetaClass* cls = [] {                                             \
            auto* meta = new ::vcl::TMetaClass(#Name, Parent::StaticClass());                  \
            ::vcl::ClassBuilder<Name> builder(*meta);                                          \
            Declare(builder);                                                                  \
            return meta;                                                                       \
        }();                                                                                   \
        return cls;                                                                            \
    }

template <class T>
class ClassBuilder {
public:
    explicit ClassBuilder(TMetaClass& meta) : meta_(meta) {}

    // Instances can be made by class name (components get their owner).
    void Component()
    {
        meta_.create = [](TComponent* owner) -> TPersistent* { return new T(owner); };
    }
    void Persistent()
    {
        meta_.create = [](TComponent*) -> TPersistent* { return new T(); };
    }
    void Factory(std::function<TPersistent*(TComponent*)> f) { meta_.create = std::move(f); }

    template <class V>
    TPropInfo& Int(const char* name, V (T::*get)() const, void (T::*set)(std::type_identity_t<V>),
                   std::optional<std::int64_t> def = 0)
    {
        TPropInfo& p = Add(name, TTypeKind::Integer);
        p.defaultValue = def;
        p.getOrd = [get](const TObject* o) { return static_cast<std::int64_t>((static_cast<const T*>(o)->*get)()); };
        if (set)
            p.setOrd = [set](TObject* o, std::int64_t v) { (static_cast<T*>(o)->*set)(static_cast<V>(v)); };
        return p;
    }
    TPropInfo& Int64(const char* name, std::int64_t (T::*get)() const, void (T::*set)(std::int64_t),
                     std::optional<std::int64_t> def = 0)
    {
        TPropInfo& p = Int(name, get, set, def);
        p.kind = TTypeKind::Int64;
        return p;
    }
    TPropInfo& Char(const char* name, char (T::*get)() const, void (T::*set)(char), std::optional<std::int64_t> def = 0)
    {
        TPropInfo& p = Int(name, get, set, def);
        p.kind = TTypeKind::Char;
        return p;
    }
    TPropInfo& Bool(const char* name, bool (T::*get)() const, void (T::*set)(bool), std::optional<bool> def = false)
    {
        TPropInfo& p = Int(name, get, set, def ? std::optional<std::int64_t>(*def ? 1 : 0) : std::nullopt);
        p.kind = TTypeKind::Enumeration;
        p.enumInfo = BooleanInfo();
        return p;
    }
    template <class E>
    TPropInfo& Enum(const char* name, const TEnumInfo* info, E (T::*get)() const, void (T::*set)(E),
                    std::optional<E> def)
    {
        TPropInfo& p = Add(name, TTypeKind::Enumeration);
        p.enumInfo = info;
        if (def)
            p.defaultValue = static_cast<std::int64_t>(*def);
        p.getOrd = [get](const TObject* o) { return static_cast<std::int64_t>((static_cast<const T*>(o)->*get)()); };
        p.setOrd = [set](TObject* o, std::int64_t v) { (static_cast<T*>(o)->*set)(static_cast<E>(v)); };
        return p;
    }
    template <class E>
    TPropInfo& Set(const char* name, const TEnumInfo* elements, TSet<E> (T::*get)() const, void (T::*set)(TSet<E>),
                   std::optional<TSet<E>> def)
    {
        TPropInfo& p = Add(name, TTypeKind::Set);
        p.enumInfo = elements;
        if (def)
            p.defaultValue = def->Bits();
        p.getOrd = [get](const TObject* o) { return static_cast<std::int64_t>((static_cast<const T*>(o)->*get)().Bits()); };
        p.setOrd = [set](TObject* o, std::int64_t v) {
            (static_cast<T*>(o)->*set)(TSet<E>::FromBits(static_cast<std::uint32_t>(v)));
        };
        return p;
    }
    TPropInfo& Float(const char* name, double (T::*get)() const, void (T::*set)(double))
    {
        TPropInfo& p = Add(name, TTypeKind::Float);
        p.getFloat = [get](const TObject* o) { return (static_cast<const T*>(o)->*get)(); };
        p.setFloat = [set](TObject* o, double v) { (static_cast<T*>(o)->*set)(v); };
        return p;
    }
    TPropInfo& Str(const char* name, AnsiString (T::*get)() const, void (T::*set)(const AnsiString&))
    {
        TPropInfo& p = Add(name, TTypeKind::String);
        p.getStr = [get](const TObject* o) { return (static_cast<const T*>(o)->*get)(); };
        p.setStr = [set](TObject* o, const AnsiString& v) { (static_cast<T*>(o)->*set)(v); };
        return p;
    }
    TPropInfo& WStr(const char* name, WideString (T::*get)() const, void (T::*set)(const WideString&))
    {
        TPropInfo& p = Add(name, TTypeKind::WString);
        p.getWStr = [get](const TObject* o) { return (static_cast<const T*>(o)->*get)(); };
        p.setWStr = [set](TObject* o, const WideString& v) { (static_cast<T*>(o)->*set)(v); };
        return p;
    }
    // An object property: owned sub-objects are read in place (no setter is
    // needed); component references are written by name and resolved after
    // loading through the setter.
    template <class C>
    TPropInfo& Object(const char* name, C* (T::*get)() const, void (T::*set)(C*) = nullptr)
    {
        TPropInfo& p = Add(name, TTypeKind::Class);
        p.propClass = &C::StaticClass;
        p.getObject = [get](const TObject* o) -> TObject* { return (static_cast<const T*>(o)->*get)(); };
        if (set)
            p.setObject = [set](TObject* o, TObject* v) { (static_cast<T*>(o)->*set)(static_cast<C*>(v)); };
        return p;
    }
    template <class... A>
    TPropInfo& Event(const char* name, TEvent<A...> T::*member)
    {
        TPropInfo& p = Add(name, TTypeKind::Method);
        p.getMethod = [member](const TObject* o) { return (static_cast<const T*>(o)->*member).methodName; };
        p.setMethod = [member](TObject* o, const std::any& method, const std::string& methodName) {
            auto& event = static_cast<T*>(o)->*member;
            if (!method.has_value()) {
                event = TEvent<A...>();
                return;
            }
            const auto* fn = std::any_cast<std::function<void(A...)>>(&method);
            if (!fn)
                throw EReadError(consts::SInvalidPropertyValue);
            event.fn = *fn;
            event.methodName = methodName;
        };
        return p;
    }
    // An event kept by another object (a composite control publishing an
    // event of one of its parts), reached through `event`; while that gives
    // null, the event reads as unassigned and setting it does nothing.
    template <class... A>
    TPropInfo& Event(const char* name, TEvent<A...>* (T::*event)() const)
    {
        TPropInfo& p = Add(name, TTypeKind::Method);
        p.getMethod = [event](const TObject* o) {
            const TEvent<A...>* e = (static_cast<const T*>(o)->*event)();
            return e ? e->methodName : std::string();
        };
        p.setMethod = [event](TObject* o, const std::any& method, const std::string& methodName) {
            TEvent<A...>* e = (static_cast<const T*>(o)->*event)();
            if (!e)
                return;
            if (!method.has_value()) {
                *e = TEvent<A...>();
                return;
            }
            const auto* fn = std::any_cast<std::function<void(A...)>>(&method);
            if (!fn)
                throw EReadError(consts::SInvalidPropertyValue);
            e->fn = *fn;
            e->methodName = methodName;
        };
        return p;
    }
    // A published method that streamed events can name.
    template <class... A>
    void Method(const char* name, void (T::*fn)(A...))
    {
        meta_.methods[name] = [fn](TObject* self) -> std::any {
            T* t = static_cast<T*>(self);
            return std::function<void(A...)>([t, fn](A... args) { (t->*fn)(args...); });
        };
    }
    void Message(unsigned msg, void (T::*fn)(TMessage&))
    {
        meta_.messages[msg] = [fn](TObject* self, TMessage& m) { (static_cast<T*>(self)->*fn)(m); };
    }
    void Message(unsigned msg, std::function<void(T*, TMessage&)> fn)
    {
        meta_.messages[msg] = [fn](TObject* self, TMessage& m) { fn(static_cast<T*>(self), m); };
    }

private:
    TPropInfo& Add(const char* name, TTypeKind kind)
    {
        auto p = std::make_shared<TPropInfo>();
        p->name = name;
        p->kind = kind;
        meta_.properties.push_back(p);
        return *p;
    }
    TMetaClass& meta_;
};

// Binds a published method of `instance`'s class to an event by name, the way
// the reader does; false when the class has no such method.
bool BindEvent(TObject* instance, const TPropInfo& event, TObject* methodOwner, const std::string& methodName);

// Owned components named by path "A.B.C" from `root`.
TComponent* FindNestedComponent(TComponent* root, const AnsiString& path);

}  // namespace vcl
