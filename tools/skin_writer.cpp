#include "tools/skin_writer.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <memory>
#include <sstream>

#include "platform/vcl/filer.h"
#include "skin/skins/sk_skin_filters.h"

namespace vls::tools {

namespace {

struct Line {
    int number;
    std::string text;  // trimmed
};

std::string Unquote(const std::string& s)
{
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        return s.substr(1, s.size() - 2);
    return s;
}

[[noreturn]] void Fail(int line, const std::string& what)
{
    throw vcl::Exception(vcl::Format("Skin description line %d: %s", line, what));
}

bool StartsWord(const std::string& text, const char* word)
{
    const std::string w(word);
    return text.compare(0, w.size(), w) == 0 && (text.size() == w.size() || text[w.size()] == ' ');
}

void LoadPicture(skin::TSkSkinSource& source, const std::string& name, const std::string& path, int line)
{
    int w = 0, h = 0, channels = 0;
    stbi_uc* rgba = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!rgba)
        Fail(line, "cannot read picture " + path);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const stbi_uc* p = rgba + i * 4;
        pixels[i] = (static_cast<std::uint32_t>(p[3]) << 24) | (static_cast<std::uint32_t>(p[0]) << 16) |
                    (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
    }
    stbi_image_free(rgba);
    AddSkinBitmap(source, name, w, h, pixels);
}

// Reads one "object ... end" block from lines[i]; children become owned
// objects of the new one, the way the "Objects" property makes them.
skin::TSkSkinObject* ReadObject(const std::vector<Line>& lines, size_t& i, vcl::TComponent* owner)
{
    const Line& head = lines[i];
    const std::string rest = head.text.substr(7);
    const size_t colon = rest.find(':');
    if (colon == std::string::npos)
        Fail(head.number, "expected \"object Name: Class\"");
    const std::string className = vcl::Trim(rest.substr(colon + 1));
    const vcl::TClass cls = skin::FindSkinObjectClass(className);
    if (!cls || !cls->create)
        Fail(head.number, "unknown skin object class " + className);
    std::string text = head.text + "\n";
    std::vector<size_t> children;
    ++i;
    for (; i < lines.size() && lines[i].text != "end"; ++i) {
        if (StartsWord(lines[i].text, "object")) {
            children.push_back(i);
            int depth = 0;
            for (; i < lines.size(); ++i) {
                if (StartsWord(lines[i].text, "object"))
                    ++depth;
                else if (lines[i].text == "end" && --depth == 0)
                    break;
            }
            if (i == lines.size())
                Fail(head.number, "object without end");
            continue;
        }
        text += "  " + lines[i].text + "\n";
    }
    if (i == lines.size())
        Fail(head.number, "object without end");
    text += "end\n";
    std::unique_ptr<skin::TSkSkinObject> object(static_cast<skin::TSkSkinObject*>(cls->create(owner)));
    try {
        vcl::TStringStream input(text);
        vcl::TMemoryStream binary;
        vcl::ObjectTextToBinary(&input, &binary);
        binary.SetPosition(0);
        binary.ReadComponent(object.get());
    } catch (const vcl::Exception& e) {
        Fail(head.number, e.Message);
    }
    for (size_t child : children) {
        size_t at = child;
        ReadObject(lines, at, object.get());
    }
    return object.release();
}

}  // namespace

void AddSkinBitmap(skin::TSkSkinSource& source, const std::string& name, int width, int height,
                   const std::vector<std::uint32_t>& pixels)
{
    auto bitmap = std::make_unique<skin::TSkBitmap>();
    bitmap->SetName(name);
    bitmap->SetSize(width, height);
    if (!bitmap->Empty())
        std::copy(pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(width) * height, bitmap->Bits());
    source.Bitmaps().Add(bitmap.release());
}

void BuildSkinSource(const std::string& description, const std::string& baseDir, skin::TSkSkinSource& source)
{
    source.Clear();
    std::vector<Line> lines;
    std::istringstream in(description);
    std::string raw;
    for (int n = 1; std::getline(in, raw); ++n) {
        const std::string t = vcl::Trim(raw);
        if (!t.empty() && t[0] != '#')
            lines.push_back({n, t});
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        const size_t space = l.text.find(' ');
        const std::string word = l.text.substr(0, space);
        const std::string value = space == std::string::npos ? "" : Unquote(vcl::Trim(l.text.substr(space + 1)));
        if (word == "name")
            source.SetSkinName(value);
        else if (word == "version")
            source.SetSkinVersion(value);
        else if (word == "author")
            source.SetAuthor(value);
        else if (word == "email")
            source.SetAuthorEMail(value);
        else if (word == "url")
            source.SetAuthorURL(value);
        else if (word == "bitmap") {
            std::istringstream parts(value);
            std::string name, file;
            parts >> name >> file;
            if (file.empty())
                Fail(l.number, "expected \"bitmap <name> <picture>\"");
            LoadPicture(source, name, baseDir.empty() ? file : baseDir + "/" + file, l.number);
        } else if (word == "object") {
            skin::TSkSkinObject* object = ReadObject(lines, i, nullptr);
            source.AddObject(object);
            object->SetBitmapList(&source.Bitmaps());
            object->ResolveLinks();
        } else {
            Fail(l.number, "unknown item " + word);
        }
    }
}

std::vector<std::uint8_t> WriteSkinStream(skin::TSkSkinSource& source, const std::string& extension)
{
    const skin::TSkSkinFilterClass* cls = skin::FindSkinFilter("skin." + extension);
    if (!cls)
        throw vcl::Exception("No skin format " + extension);
    std::unique_ptr<skin::TSkSkinFilter> filter(cls->create());
    filter->Source = &source;
    vcl::TMemoryStream out;
    filter->SaveToStream(&out);
    return out.Bytes();
}

std::vector<std::uint8_t> WriteSkinFormProperty(skin::TSkSkinSource& source)
{
    if (source.GetObjectCount() == 0)
        return {0};
    std::vector<std::uint8_t> out{2};
    const std::vector<std::uint8_t> stream = WriteSkinStream(source, "kskn");
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

}  // namespace vls::tools
