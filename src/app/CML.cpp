#include "app/CML.h"

#include "app/MAux.h"

std::string CML::language_ = "italiano";
std::optional<std::vector<std::string>> CML::keys_;
std::vector<std::string> CML::texts_;

namespace {

// Language files are ISO-8859-1: every byte of 0x80 or more becomes two UTF-8 bytes.
std::string latin1ToUtf8(const std::string& s) {
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::vector<std::string> split(const std::string& s, const std::string& sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + sep.size();
    }
    return parts;
}

}  // namespace

void CML::aux_load_texts() {
    if (keys_) return;
    keys_.emplace();
    texts_.clear();
    const std::string content = MAux::getText("assets/languages/" + language_ + ".txt");
    for (const auto& line : split(content, "\r\n")) {
        const auto parts = split(line, ":=");
        if (parts.size() < 2) continue;
        std::string text = latin1ToUtf8(parts[1]);
        for (std::size_t at; (at = text.find("^M")) != std::string::npos;) text.replace(at, 2, "\n");
        keys_->push_back(parts[0]);
        texts_.push_back(std::move(text));
    }
}

std::string CML::text(const std::string& key) {
    aux_load_texts();
    for (std::size_t i = 0; i < keys_->size(); ++i) {
        if ((*keys_)[i] == key) return texts_[i];
    }
    return key;
}

void CML::setLanguage(const std::string& language) {
    language_ = language;
    keys_.reset();
    texts_.clear();
    aux_load_texts();
}

void CML::reset() {
    language_ = "italiano";
    keys_.reset();
    texts_.clear();
}
