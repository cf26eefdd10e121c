#include "tabellon/tests/package_builder.h"

namespace tabellon_test {

void putNumber(std::string& bytes, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) bytes.push_back(char(v >> (8 * i)));
}

std::uint64_t numberAt(const std::string& bytes, size_t at, int width) {
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | std::uint8_t(bytes[at + size_t(i)]);
    return v;
}

namespace {

// Appends one document record; returns the position after it.
std::uint64_t appendRecord(std::string& b, const DocumentBytes& doc, int width,
                           const std::function<void(std::string&)>& edit) {
    std::string files;
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        const PageBytes& p = doc.pages[i];
        files += std::to_string(i + 1) + "=" + p.ext + "," + std::to_string(b.size()) + "," +
                 std::to_string(p.image.size()) + "," + std::to_string(p.thumb.size()) + "\r\n";
        b += p.image;
        b += p.thumb;
    }
    std::uint64_t info = b.size();
    size_t cut = doc.path.find_last_of('\\');
    std::string text = "[System]\r\nType=0\r\nPath=" + doc.path + "\r\nTotal Pages=" + std::to_string(doc.pages.size()) +
                       "\r\nDoc Name=" + (cut == std::string::npos ? doc.path : doc.path.substr(cut + 1)) + "\r\n";
    if (!files.empty()) text += "[Files]\r\n" + files;
    if (edit) edit(text);
    b += text;
    putNumber(b, info, width);
    return b.size();
}

}  // namespace

std::function<void(std::string&)> PackageBuilder::editOf(size_t index) const {
    if (!editDocument) return {};
    return [this, index](std::string& text) { editDocument(index, text); };
}

std::string PackageBuilder::bytes() const {
    const int width = oldLayout ? 4 : 8;
    std::string b = kind == 0 ? "GGYY7788GYGY7878" : "GGYY7788GYGY7877";
    putNumber(b, path.size(), width);
    b += path;
    if (kind == 0) {
        appendRecord(b, documents.at(0), width, editOf(0));
        return b;
    }
    if (!oldLayout) {
        putNumber(b, 0, 4);
        putNumber(b, 1000, 4);
    }
    std::string ends;
    for (size_t j = 0; j < documents.size(); ++j)
        ends += std::to_string(j + 1) + "=" + std::to_string(appendRecord(b, documents[j], width, editOf(j))) + "\r\n";
    std::uint64_t info = b.size();
    std::string text = "[System]\r\nType=2\r\nPath=" + path + "\r\n";
    if (!folders.empty()) {
        text += "[Folder]\r\n";
        for (size_t i = 0; i < folders.size(); ++i) text += std::to_string(i + 1) + "=" + folders[i] + "\r\n";
    }
    if (!ends.empty()) text += "[Document]\r\n" + ends;
    if (editFolder) editFolder(text);
    b += text;
    putNumber(b, info, width);
    return b;
}

}  // namespace tabellon_test
