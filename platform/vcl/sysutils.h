#pragma once

// Exceptions with the class library's own message texts, formatting, and the
// small string and file-name helpers the library and its users share.
// AnsiString is std::string in code page 1252; WideString is std::u16string.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace vcl {

using AnsiString = std::string;
using WideString = std::u16string;

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    AnsiString Message;
};

#define VCL_EXCEPTION(Name, Base) \
    class Name : public Base {     \
    public:                        \
        using Base::Base;          \
    }

VCL_EXCEPTION(EAbort, Exception);
VCL_EXCEPTION(EListError, Exception);
VCL_EXCEPTION(EStringListError, Exception);
VCL_EXCEPTION(EStreamError, Exception);
VCL_EXCEPTION(EFCreateError, EStreamError);
VCL_EXCEPTION(EFOpenError, EStreamError);
VCL_EXCEPTION(EFilerError, EStreamError);
VCL_EXCEPTION(EReadError, EFilerError);
VCL_EXCEPTION(EWriteError, EFilerError);
VCL_EXCEPTION(EClassNotFound, EFilerError);
VCL_EXCEPTION(EMethodNotFound, EFilerError);
VCL_EXCEPTION(EInvalidImage, EFilerError);
VCL_EXCEPTION(EConvertError, Exception);
VCL_EXCEPTION(EComponentError, Exception);
VCL_EXCEPTION(EPropertyError, Exception);
VCL_EXCEPTION(EInvalidOperation, Exception);
VCL_EXCEPTION(EInvalidPointer, Exception);
VCL_EXCEPTION(EOutOfResources, Exception);
VCL_EXCEPTION(EOSError, Exception);
VCL_EXCEPTION(EWin32Error, EOSError);
VCL_EXCEPTION(EInvalidGraphic, Exception);
VCL_EXCEPTION(EInvalidGraphicOperation, Exception);
VCL_EXCEPTION(ERegistryException, Exception);
VCL_EXCEPTION(EOutOfMemory, Exception);
VCL_EXCEPTION(EParserError, Exception);

// The class library's resource strings, in its German texts.
namespace consts {
inline constexpr const char* SListIndexError = "Der Index der Liste überschreitet das Maximum (%d)";
inline constexpr const char* SListCapacityError = "Die Kapazität der Liste ist erschöpft (%d)";
inline constexpr const char* SListCountError = "Zu viele Einträge in der Liste (%d)";
inline constexpr const char* SSortedListError = "Operation bei sortierten Stringlisten nicht erlaubt";
inline constexpr const char* SDuplicateString = "Stringliste erlaubt keine Duplikate";
inline constexpr const char* SDuplicateItem = "Liste erlaubt keine Duplikate ($0%x)";
inline constexpr const char* SReadError = "Stream-Lesefehler";
inline constexpr const char* SWriteError = "Stream-Schreibfehler";
inline constexpr const char* SFCreateError = "Datei %s kann nicht erstellt werden";
inline constexpr const char* SFOpenError = "Datei %s kann nicht geöffnet werden";
inline constexpr const char* SInvalidImage = "Ungültiges Stream-Format";
inline constexpr const char* SInvalidProperty = "Ungültiger Eigenschaftswert";
inline constexpr const char* SInvalidPropertyValue = "Ungültiger Eigenschaftswert";
inline constexpr const char* SInvalidPropertyPath = "Ungültiger Eigenschaftspfad";
inline constexpr const char* SInvalidPropertyType = "Ungültiger Eigenschaftstyp: %s";
inline constexpr const char* SUnknownProperty = "Eigenschaft %s existiert nicht";
inline constexpr const char* SClassNotFound = "Klasse %s nicht gefunden";
inline constexpr const char* SMethodNotFound = "Methode %s nicht gefunden";
inline constexpr const char* SDuplicateClass = "Eine Klasse mit der Bezeichnung %s existiert bereits";
inline constexpr const char* SDuplicateName = "Eine Komponente mit der Bezeichnung %s existiert bereits";
inline constexpr const char* SInvalidName = "''%s'' ist kein gültiger Komponentenname";
inline constexpr const char* SAssignError = "%s kann nicht zu %s zugewiesen werden";
inline constexpr const char* SInvalidBinary = "Ungültiger Binärwert";
inline constexpr const char* SParseError = "%s in Zeile %d";
inline constexpr const char* SIdentifierExpected = "Bezeichner erwartet";
inline constexpr const char* SStringExpected = "String erwartet";
inline constexpr const char* SNumberExpected = "Zahl erwartet";
inline constexpr const char* SCharExpected = "''%s'' erwartet";
inline constexpr const char* SInvalidString = "Ungültige String-Konstante";
inline constexpr const char* SOutOfResources = "Nicht genügend Timer verfügbar";
inline constexpr const char* SWin32Error = "Win32-Fehler. Code: %d.\r\n%s";
inline constexpr const char* SUnkWin32Error = "Eine Win32-API-Funktion ist fehlgeschlagen";
inline constexpr const char* SInvalidPointer = "Ungültige Zeigeroperation";
inline constexpr const char* SCannotFocus = "Ein deaktiviertes oder unsichtbares Fenster kann nicht den Fokus erhalten";
inline constexpr const char* SParentRequired = "Element '%s' hat kein übergeordnetes Fenster";
inline constexpr const char* SNoMDIForm = "Formular kann nicht erstellt werden. Zur Zeit sind keine MDI-Formulare aktiv";
inline constexpr const char* SVisibleChanged = "Eigenschaft Visible kann in OnShow oder OnHide nicht verändert werden";
inline constexpr const char* SCannotShowModal = "Aus einem sichtbaren Fenster kann kein modales gemacht werden";
inline constexpr const char* SInvalidBitmap = "Bitmap ist ungültig";
inline constexpr const char* SInvalidIcon = "Symbol ist ungültig";
inline constexpr const char* SUnknownExtension = "Unbekannte Bilddateierweiterung (.%s)";
inline constexpr const char* SUnknownClipboardFormat = "Nicht unterstütztes Zwischenablageformat";
inline constexpr const char* SCannotOpenClipboard = "Zwischenablage kann nicht geöffnet werden";
inline constexpr const char* SRegCreateFailed = "Erzeugen von Schlüssel %s fehlgeschlagen";
inline constexpr const char* SRegSetDataFailed = "Setzen der Daten für '%s' fehlgeschlagen";
inline constexpr const char* SRegGetDataFailed = "Lesen der Daten für '%s' fehlgeschlagen";
inline constexpr const char* SInvalidRegType = "Ungültiger Datentyp für '%s'";
inline constexpr const char* SNoCanvasHandle = "Leinwand/Bild erlaubt kein Zeichnen";
inline constexpr const char* SInvalidCanvasState = "Ungültige Leinwandzustandsanforderung";
inline constexpr const char* SOutOfMemory = "Zu wenig Arbeitsspeicher";
}  // namespace consts

// The library's Format: %d, %u, %x, %s, %f, %g, %e and %% with optional
// width, precision and '-'; a bad argument raises EConvertError.
using FormatArg = std::variant<std::int64_t, double, AnsiString>;
AnsiString FormatList(const AnsiString& format, const std::vector<FormatArg>& args);
inline FormatArg ToFormatArg(const AnsiString& s) { return s; }
inline FormatArg ToFormatArg(const char* s) { return AnsiString(s); }
inline FormatArg ToFormatArg(double d) { return d; }
template <class T>
FormatArg ToFormatArg(T v)
    requires std::is_integral_v<T> || std::is_enum_v<T>
{
    return static_cast<std::int64_t>(v);
}

template <class... A>
AnsiString Format(const AnsiString& format, const A&... args)
{
    return FormatList(format, {ToFormatArg(args)...});
}

AnsiString IntToStr(std::int64_t value);
AnsiString IntToHex(std::int64_t value, int digits);
int StrToInt(const AnsiString& s);  // EConvertError when not a number
int StrToIntDef(const AnsiString& s, int fallback);
bool TryStrToInt(const AnsiString& s, int& value);
AnsiString FloatToStr(double value);
AnsiString Trim(const AnsiString& s);
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);  // ASCII letters only
AnsiString UpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);  // code page 1252 letters too
AnsiString AnsiUpperCase(const AnsiString& s);
int CompareText(const AnsiString& a, const AnsiString& b);
bool SameText(const AnsiString& a, const AnsiString& b);
int CompareStr(const AnsiString& a, const AnsiString& b);
int AnsiCompareText(const AnsiString& a, const AnsiString& b);
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);
AnsiString QuotedStr(const AnsiString& s);
AnsiString StringReplaceAll(const AnsiString& s, const AnsiString& from, const AnsiString& to);
int Pos(const AnsiString& sub, const AnsiString& s);  // 1-based, 0 when absent
bool IsValidIdent(const AnsiString& ident);

// Code page 1252 conversions, the ANSI code page of our system.
WideString AnsiToWide(const AnsiString& s);
AnsiString WideToAnsi(const WideString& s);
WideString Utf8ToWide(const std::string& s);
std::string WideToUtf8(const WideString& s);

// File names with backslashes or slashes as separators.
AnsiString ExtractFileName(const AnsiString& path);
AnsiString ExtractFilePath(const AnsiString& path);
AnsiString ExtractFileDir(const AnsiString& path);
AnsiString ExtractFileExt(const AnsiString& path);
AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext);
AnsiString IncludeTrailingBackslash(const AnsiString& path);
AnsiString ExcludeTrailingBackslash(const AnsiString& path);

// Raises EWin32Error with the last OS error code and its text.
[[noreturn]] void RaiseLastWin32Error();
[[noreturn]] void RaiseLastOSError();
AnsiString SysErrorMessage(int code);

// The library's Round: half to even.
std::int64_t Round(double value);
int MulDiv(int a, int b, int c);

}  // namespace vcl
