// Reading the documentation pages the build writes into "docs" of the
// build folder: the folder, a page's text, and the spelling of anchors in
// addresses ("%C2%A0") and in attributes ("&amp;").
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "notebook/notebook_export.h"

namespace kalix {

// "docs" of the build folder, one above the running test program.
inline std::filesystem::path documentationFolder() {
    return std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "docs";
}

inline std::string pageText(const std::filesystem::path& file) {
    std::ifstream in(file);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// "%C2%A0" and the like as bytes.
inline std::string percentDecoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += char(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A text as the pages write it inside an attribute: as HTML, with the
// quotes too.
inline std::string escapedAttribute(const std::string& text) {
    std::string out;
    for (char c : escapeHtml(text)) {
        if (c == '"')
            out += "&quot;";
        else if (c == '\'')
            out += "&#x27;";
        else
            out += c;
    }
    return out;
}

// The text of an attribute as written by escapedAttribute.
inline std::string unescapedAttribute(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        const std::pair<const char*, char> entities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#x27;", '\''}};
        bool replaced = false;
        for (const auto& [entity, character] : entities) {
            const std::string name = entity;
            if (text.compare(i, name.size(), name) == 0) {
                out += character;
                i += name.size() - 1;
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i];
    }
    return out;
}

}  // namespace kalix
