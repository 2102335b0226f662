#pragma once

// Run-time class information: each class of the library has a meta class
// with its name, its parent, a factory, its published properties in
// declaration order, its published methods and its message handlers. The
// streaming system and the message dispatch work from these tables.

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/vcl/sysutils.h"

namespace vcl {

class TObject;
class TPersistent;
class TComponent;
struct TMessage;

enum class TTypeKind { Integer, Char, Enumeration, Float, String, WString, Set, Class, Method, Int64 };

// Names of an enumeration's values by ordinal (Boolean: False, True).
struct TEnumInfo {
    std::string name;
    std::vector<std::string> names;
    int ValueOf(const std::string& ident) const;  // -1 when unknown (case-insensitive)
};
const TEnumInfo* BooleanInfo();

// Integer types with symbolic constants (colours, cursors).
struct TIdentMap {
    std::function<bool(std::int64_t, std::string&)> toIdent;
    std::function<bool(const std::string&, std::int64_t&)> fromIdent;
};

class TMetaClass;

struct TPropInfo {
    std::string name;
    TTypeKind kind = TTypeKind::Integer;
    const TEnumInfo* enumInfo = nullptr;  // enumerations and set elements
    const TIdentMap* identMap = nullptr;
    const TMetaClass* (*propClass)() = nullptr;  // Class properties; a function, as a class may name itself
    std::optional<std::int64_t> defaultValue;  // ordinals; none = always stored
    std::function<bool(const TObject*)> stored;  // null = by default
    std::function<std::int64_t(const TObject*)> getOrd;
    std::function<void(TObject*, std::int64_t)> setOrd;
    std::function<double(const TObject*)> getFloat;
    std::function<void(TObject*, double)> setFloat;
    std::function<AnsiString(const TObject*)> getStr;
    std::function<void(TObject*, const AnsiString&)> setStr;
    std::function<WideString(const TObject*)> getWStr;
    std::function<void(TObject*, const WideString&)> setWStr;
    std::function<TObject*(const TObject*)> getObject;
    std::function<void(TObject*, TObject*)> setObject;  // null: the object is owned, read in place
    // Events: the name of the bound published method ("" when none) and its binding.
    std::function<std::string(const TObject*)> getMethod;
    std::function<void(TObject*, const std::any& method, const std::string& name)> setMethod;
    bool IsStoredFor(const TObject* instance) const;
};

// A published method: given the instance, its bound callable (a
// std::function of the event's signature) in a std::any.
using TMethodBinder = std::function<std::any(TObject* self)>;
using TMessageHandler = std::function<void(TObject* self, TMessage& message)>;

class TMetaClass {
public:
    TMetaClass(std::string name, const TMetaClass* parent) : name_(std::move(name)), parent_(parent) {}

    const std::string& ClassName() const { return name_; }
    const TMetaClass* ClassParent() const { return parent_; }
    bool InheritsFrom(const TMetaClass* other) const;

    // The factory: components take their owner; other persistent classes
    // (collection items) ignore it. Abstract classes have none.
    std::function<TPersistent*(TComponent* owner)> create;

    std::vector<std::shared_ptr<TPropInfo>> properties;  // this class's own
    std::map<std::string, TMethodBinder> methods;
    std::map<unsigned, TMessageHandler> messages;

    // Every published property, the root class's first, in declaration order.
    std::vector<const TPropInfo*> AllProperties() const;
    const TPropInfo* FindProperty(const std::string& name) const;  // case-insensitive
    const TMethodBinder* FindMethod(const std::string& name) const;

private:
    std::string name_;
    const TMetaClass* parent_;
};

using TClass = const TMetaClass*;

// The class registry the reader finds classes in by name.
void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
TClass GetClass(const std::string& name);   // null when unknown
TClass FindClass(const std::string& name);  // EClassNotFound when unknown

}  // namespace vcl
