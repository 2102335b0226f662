#include "platform/user/ansi_codepage.h"
#include "platform/user/user_state.h"

#include <cstdlib>
#include <cstring>
#include <set>

// Memory blocks for clipboard data, in the original's shape: a handle whose
// lock gives the bytes. Nothing else in our layers uses them yet.
namespace {

struct Block {
    std::uint32_t magic;
    std::size_t size;
    // data follows
};
constexpr std::uint32_t kBlockMagic = 0x6D656D47;  // "Gmem"

// Every live block, so a stray handle is refused instead of followed.
std::set<const void*>& LiveBlocks()
{
    static auto* blocks = new std::set<const void*>;  // outlives exit handlers
    return *blocks;
}

Block* BlockOf(HGLOBAL mem)
{
    if (!mem || !LiveBlocks().count(mem))
        return nullptr;
    auto* b = static_cast<Block*>(mem);
    return b->magic == kBlockMagic ? b : nullptr;
}

struct Clipboard {
    HWND owner = nullptr;
    bool open = false;
    HGLOBAL unicode = nullptr;  // what we hand out for CF_UNICODETEXT
    HGLOBAL ansi = nullptr;     // and for CF_TEXT
};

Clipboard& Board()
{
    static Clipboard board;
    return board;
}

void Drop(HGLOBAL& mem)
{
    if (mem)
        GlobalFree(mem);
    mem = nullptr;
}

HGLOBAL MakeBlock(const void* data, std::size_t bytes)
{
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (mem && bytes)
        std::memcpy(GlobalLock(mem), data, bytes);
    GlobalUnlock(mem);
    return mem;
}

}  // namespace

using namespace vls::user;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    auto* b = static_cast<Block*>(std::malloc(sizeof(Block) + bytes));
    if (!b)
        return nullptr;
    b->magic = kBlockMagic;
    b->size = bytes;
    if (flags & GMEM_ZEROINIT)
        std::memset(b + 1, 0, bytes);
    LiveBlocks().insert(b);
    return b;
}

HGLOBAL GlobalFree(HGLOBAL mem)
{
    Block* b = BlockOf(mem);
    if (!b)
        return mem;
    b->magic = 0;
    LiveBlocks().erase(b);
    std::free(b);
    return nullptr;
}

LPVOID GlobalLock(HGLOBAL mem)
{
    Block* b = BlockOf(mem);
    return b ? static_cast<void*>(b + 1) : nullptr;
}

BOOL GlobalUnlock(HGLOBAL) { return FALSE; }

SIZE_T GlobalSize(HGLOBAL mem)
{
    const Block* b = BlockOf(mem);
    return b ? b->size : 0;
}

BOOL OpenClipboard(HWND owner)
{
    Clipboard& c = Board();
    if (c.open)
        return FALSE;
    c.open = true;
    c.owner = owner;
    return TRUE;
}

BOOL CloseClipboard()
{
    Clipboard& c = Board();
    const BOOL was = c.open;
    c.open = false;
    return was;
}

BOOL EmptyClipboard()
{
    Clipboard& c = Board();
    if (!c.open)
        return FALSE;
    Drop(c.unicode);
    Drop(c.ansi);
    Get().backend->SetClipboardText(u"");
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    Clipboard& c = Board();
    if (!c.open || !BlockOf(data))
        return nullptr;
    const std::size_t bytes = GlobalSize(data);
    const char* raw = static_cast<const char*>(GlobalLock(data));
    std::u16string text;
    if (format == CF_UNICODETEXT) {
        // Up to the terminator, never past the block.
        for (std::size_t i = 0; i + 1 < bytes; i += 2) {
            char16_t ch = 0;
            std::memcpy(&ch, raw + i, 2);
            if (!ch)
                break;
            text.push_back(ch);
        }
    } else if (format == CF_TEXT) {
        for (std::size_t i = 0; i < bytes && raw[i]; ++i)
            text.push_back(AnsiToUnicode(static_cast<unsigned char>(raw[i])));
    } else {
        return nullptr;
    }
    Get().backend->SetClipboardText(text);
    // The clipboard owns the data now.
    HGLOBAL& slot = format == CF_UNICODETEXT ? c.unicode : c.ansi;
    if (slot != data)
        Drop(slot);
    slot = data;
    return data;
}

HANDLE GetClipboardData(UINT format)
{
    Clipboard& c = Board();
    if (!c.open)
        return nullptr;
    std::u16string text;
    if (!Get().backend->GetClipboardText(text) || text.empty())
        return nullptr;
    if (format == CF_UNICODETEXT) {
        Drop(c.unicode);
        text.push_back(u'\0');
        c.unicode = MakeBlock(text.data(), text.size() * sizeof(char16_t));
        return c.unicode;
    }
    if (format == CF_TEXT) {
        std::string narrow;
        for (const char16_t ch : text) {
            const int a = UnicodeToAnsi(ch);
            narrow.push_back(static_cast<char>(a >= 0 ? a : '?'));
        }
        narrow.push_back('\0');
        Drop(c.ansi);
        c.ansi = MakeBlock(narrow.data(), narrow.size());
        return c.ansi;
    }
    return nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    if (format != CF_UNICODETEXT && format != CF_TEXT)
        return FALSE;
    std::u16string text;
    return Get().backend->GetClipboardText(text) && !text.empty();
}

