#include "sim/tools/LogPredicate.h"

#include <vector>

#include "sim/tools/TextFormat.h"

namespace velmora::sim {

struct LogPredicate::Node {
    enum class Kind { comparison, conjunction, disjunction, negation } kind = Kind::comparison;
    std::string field;
    std::string op;  // CONTAINS, BEGINSWITH, ENDSWITH, ==, !=
    bool caseInsensitive = false;
    std::string value;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

using Node = LogPredicate::Node;

struct Token {
    enum class Kind { word, string, symbol, end } kind;
    std::string text;
};

bool tokenize(const std::string& s, std::vector<Token>& tokens, std::string& error) {
    std::size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            ++i;
        } else if (c == '"' || c == '\'') {
            std::string value;
            ++i;
            while (i < s.size() && s[i] != c) {
                if (s[i] == '\\' && i + 1 < s.size()) ++i;
                value += s[i++];
            }
            if (i >= s.size()) {
                error = "Unterminated string";
                return false;
            }
            ++i;
            tokens.push_back({Token::Kind::string, value});
        } else if (c == '(' || c == ')') {
            tokens.push_back({Token::Kind::symbol, std::string(1, c)});
            ++i;
        } else if (s.compare(i, 2, "&&") == 0 || s.compare(i, 2, "||") == 0 || s.compare(i, 2, "==") == 0 ||
                   s.compare(i, 2, "!=") == 0) {
            tokens.push_back({Token::Kind::symbol, s.substr(i, 2)});
            i += 2;
        } else if (c == '!' || c == '=') {
            tokens.push_back({Token::Kind::symbol, c == '=' ? "==" : "!"});
            ++i;
        } else {
            std::string word;
            while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != '\n' && s[i] != '(' && s[i] != ')' &&
                   s[i] != '"' && s[i] != '\'' && s[i] != '=' && s[i] != '!' && s[i] != '&' && s[i] != '|') {
                word += s[i++];
            }
            if (word.empty()) {
                error = std::string("Unexpected character '") + c + "'";
                return false;
            }
            tokens.push_back({Token::Kind::word, word});
        }
    }
    tokens.push_back({Token::Kind::end, ""});
    return true;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    std::unique_ptr<Node> parseAll(std::string& error) {
        auto node = disjunction(error);
        if (node && peek().kind != Token::Kind::end) {
            error = "Unexpected \"" + peek().text + "\"";
            return nullptr;
        }
        return node;
    }

private:
    const Token& peek() const { return tokens_[position_]; }
    Token next() { return tokens_[position_ < tokens_.size() - 1 ? position_++ : position_]; }
    bool keyword(const char* word) const {
        return peek().kind == Token::Kind::word && text::lower(peek().text) == word;
    }
    bool symbol(const char* s) const { return peek().kind == Token::Kind::symbol && peek().text == s; }

    std::unique_ptr<Node> disjunction(std::string& error) {
        auto left = conjunction(error);
        if (!left) return nullptr;
        if (!(keyword("or") || symbol("||"))) return left;
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::disjunction;
        node->children.push_back(std::move(left));
        while (keyword("or") || symbol("||")) {
            next();
            auto right = conjunction(error);
            if (!right) return nullptr;
            node->children.push_back(std::move(right));
        }
        return node;
    }

    std::unique_ptr<Node> conjunction(std::string& error) {
        auto left = unary(error);
        if (!left) return nullptr;
        if (!(keyword("and") || symbol("&&"))) return left;
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::conjunction;
        node->children.push_back(std::move(left));
        while (keyword("and") || symbol("&&")) {
            next();
            auto right = unary(error);
            if (!right) return nullptr;
            node->children.push_back(std::move(right));
        }
        return node;
    }

    std::unique_ptr<Node> unary(std::string& error) {
        if (++depth_ > 100) {
            error = "Predicate nested too deeply";
            return nullptr;
        }
        struct Leave {
            int& d;
            ~Leave() { --d; }
        } leave{depth_};
        if (keyword("not") || symbol("!")) {
            next();
            auto inner = unary(error);
            if (!inner) return nullptr;
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::negation;
            node->children.push_back(std::move(inner));
            return node;
        }
        if (symbol("(")) {
            next();
            auto inner = disjunction(error);
            if (!inner) return nullptr;
            if (!symbol(")")) {
                error = "Missing \")\"";
                return nullptr;
            }
            next();
            return inner;
        }
        return comparison(error);
    }

    std::unique_ptr<Node> comparison(std::string& error) {
        if (peek().kind != Token::Kind::word) {
            error = "Expected a key path";
            return nullptr;
        }
        auto node = std::make_unique<Node>();
        node->field = next().text;
        Token op = next();
        std::string name = op.kind == Token::Kind::word ? text::lower(op.text) : op.text;
        if (text::endsWith(name, "[c]") || text::endsWith(name, "[cd]") || text::endsWith(name, "[d]")) {
            node->caseInsensitive = name.find('c', name.find('[')) != std::string::npos;
            name = name.substr(0, name.find('['));
        }
        if (name == "contains") {
            node->op = "CONTAINS";
        } else if (name == "beginswith") {
            node->op = "BEGINSWITH";
        } else if (name == "endswith") {
            node->op = "ENDSWITH";
        } else if (name == "==" || name == "!=") {
            node->op = name;
        } else {
            error = "Unknown operator \"" + op.text + "\"";
            return nullptr;
        }
        if (peek().kind != Token::Kind::string) {
            error = "Expected a quoted string after " + node->op;
            return nullptr;
        }
        node->value = next().text;
        return node;
    }

    std::vector<Token> tokens_;
    std::size_t position_ = 0;
    int depth_ = 0;
};

std::string fieldOf(const LogEntry& entry, const std::string& field) {
    if (field == "eventMessage" || field == "composedMessage") return entry.message;
    if (field == "process") return entry.process;
    if (field == "subsystem") return entry.process == "kernel" ? "com.apple.iokit" : "";
    return "";
}

bool evaluate(const Node& node, const LogEntry& entry) {
    switch (node.kind) {
        case Node::Kind::negation: return !evaluate(*node.children.front(), entry);
        case Node::Kind::conjunction:
            for (const auto& child : node.children) {
                if (!evaluate(*child, entry)) return false;
            }
            return true;
        case Node::Kind::disjunction:
            for (const auto& child : node.children) {
                if (evaluate(*child, entry)) return true;
            }
            return false;
        case Node::Kind::comparison: break;
    }
    std::string subject = fieldOf(entry, node.field);
    std::string value = node.value;
    if (node.caseInsensitive) {
        subject = text::lower(subject);
        value = text::lower(value);
    }
    if (node.op == "CONTAINS") return subject.find(value) != std::string::npos;
    if (node.op == "BEGINSWITH") return text::startsWith(subject, value);
    if (node.op == "ENDSWITH") return text::endsWith(subject, value);
    if (node.op == "==") return subject == value;
    return subject != value;
}

std::string describe(const Node& node, bool nested) {
    switch (node.kind) {
        case Node::Kind::comparison:
            return node.field + " " + node.op + (node.caseInsensitive ? "[c]" : "") + " \"" + node.value + "\"";
        case Node::Kind::negation: return "NOT " + describe(*node.children.front(), true);
        case Node::Kind::conjunction:
        case Node::Kind::disjunction: {
            std::string joiner = node.kind == Node::Kind::conjunction ? " AND " : " OR ";
            std::string out;
            for (std::size_t i = 0; i < node.children.size(); ++i) {
                if (i) out += joiner;
                out += describe(*node.children[i], true);
            }
            return nested ? "(" + out + ")" : out;
        }
    }
    return "";
}

}  // namespace

LogPredicate::LogPredicate(std::unique_ptr<Node> root) : root_(std::move(root)) {}
LogPredicate::LogPredicate(LogPredicate&&) noexcept = default;
LogPredicate& LogPredicate::operator=(LogPredicate&&) noexcept = default;
LogPredicate::~LogPredicate() = default;

std::optional<LogPredicate> LogPredicate::parse(const std::string& text, std::string& error) {
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, error)) return std::nullopt;
    auto root = Parser(std::move(tokens)).parseAll(error);
    if (!root) return std::nullopt;
    return LogPredicate(std::move(root));
}

bool LogPredicate::matches(const LogEntry& entry) const { return evaluate(*root_, entry); }

std::string LogPredicate::description() const { return describe(*root_, false); }

}  // namespace velmora::sim
