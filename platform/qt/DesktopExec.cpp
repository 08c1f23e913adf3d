#include "platform/qt/DesktopExec.h"

namespace tessaline {

namespace {

// The key file's escapes for string values. Any other backslash stays, for the quoting rules.
std::string undoStringEscapes(std::string_view value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const char next = value[++i];
        switch (next) {
            case 's':
                text += ' ';
                break;
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case '\\':
                text += '\\';
                break;
            default:
                text += '\\';
                text += next;
        }
    }
    return text;
}

bool separates(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool escapedInQuotes(char c) {
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

bool namesTheDocument(char code) {
    return code == 'f' || code == 'F' || code == 'u' || code == 'U';
}

// Expand to nothing here: icon, name and entry location are not ours to give, and the
// deprecated codes are to be ignored.
bool dropped(char code) {
    switch (code) {
        case 'i':
        case 'c':
        case 'k':
        case 'd':
        case 'D':
        case 'n':
        case 'N':
        case 'v':
        case 'm':
            return true;
        default:
            return false;
    }
}

class ArgumentBuilder {
  public:
    explicit ArgumentBuilder(std::string_view target) : target_(target) {}

    void add(char c) { word_ += c; }
    void markQuoted() { keep_ = true; }
    bool addTarget() {
        // The target never names the program to start.
        if (arguments_.empty()) {
            return false;
        }
        if (!placed_) {
            word_ += target_;
            placed_ = true;
            keep_ = true;
        }
        return true;
    }
    // An unquoted word made only of dropped field codes is no argument at all.
    void endWord() {
        if (keep_ || !word_.empty()) {
            arguments_.push_back(std::move(word_));
        }
        word_.clear();
        keep_ = false;
    }
    std::optional<std::vector<std::string>> finish() {
        endWord();
        if (arguments_.empty() || arguments_.front().empty()) {
            return std::nullopt;
        }
        if (!placed_) {
            arguments_.emplace_back(target_);
        }
        return std::move(arguments_);
    }

  private:
    std::string_view target_;
    std::vector<std::string> arguments_;
    std::string word_;
    bool keep_ = false;
    bool placed_ = false;
};

}  // namespace

std::optional<std::vector<std::string>> execArguments(std::string_view exec,
                                                      std::string_view target) {
    if (exec.find('\0') != std::string_view::npos || target.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string line = undoStringEscapes(exec);
    ArgumentBuilder builder(target);
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i++];
        if (separates(c)) {
            builder.endWord();
        } else if (c == '"') {
            builder.markQuoted();
            bool closed = false;
            while (i < line.size() && !closed) {
                const char q = line[i++];
                if (q == '"') {
                    closed = true;
                } else if (q == '\\' && i < line.size() && escapedInQuotes(line[i])) {
                    builder.add(line[i++]);
                } else if (q == '%' && i < line.size() && line[i] == '%') {
                    builder.add(line[i++]);
                } else {
                    builder.add(q);
                }
            }
            if (!closed) {
                return std::nullopt;
            }
        } else if (c == '%') {
            if (i == line.size()) {
                return std::nullopt;
            }
            const char code = line[i++];
            if (code == '%') {
                builder.add('%');
            } else if (namesTheDocument(code)) {
                if (!builder.addTarget()) {
                    return std::nullopt;
                }
            } else if (!dropped(code)) {
                return std::nullopt;
            }
        } else {
            builder.add(c);
        }
    }
    return builder.finish();
}

}  // namespace tessaline
