#include "server/registrar_script.h"
#include "engine/text/case_folding.h"

#include <cstddef>

namespace {

struct Token {
  std::string text;
  bool quoted = false;
  size_t offset = 0;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A bare word that the grammar gives a meaning (quoted, the same text is a plain name).
bool IsWord(const Token& token, const char* word) {
  return !token.quoted && EqualsNoCase(token.text, std::string(word));
}

struct RootName {
  const char* shortName;
  const char* longName;
  RegistrarRoot root;
};

const RootName kRoots[] = {
    {"HKCR", "HKEY_CLASSES_ROOT", RegistrarRoot::ClassesRoot},
    {"HKCU", "HKEY_CURRENT_USER", RegistrarRoot::CurrentUser},
    {"HKLM", "HKEY_LOCAL_MACHINE", RegistrarRoot::LocalMachine},
    {"HKU", "HKEY_USERS", RegistrarRoot::Users},
};

// Splits the script into words, replacing variables as it goes.
class Lexer {
 public:
  Lexer(const std::string& text, const std::vector<RegistrarVariable>& variables)
      : text_(text), variables_(variables) {}

  // False at the end of the text or on an error (then error() is set).
  bool Next(Token& token) {
    if (hasPeeked_) {
      hasPeeked_ = false;
      token = peeked_;
      return true;
    }
    return Read(token);
  }

  // Looks at the next word without taking it; false at the end or on an error.
  bool Peek(Token& token) {
    if (!hasPeeked_) {
      if (!Read(peeked_)) return false;
      hasPeeked_ = true;
    }
    token = peeked_;
    return true;
  }

  const std::string& error() const { return error_; }
  size_t offset() const { return pos_; }

 private:
  bool Fail(const std::string& what, size_t at) {
    error_ = what + " at offset " + std::to_string(at);
    return false;
  }

  bool Read(Token& token) {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    if (pos_ >= text_.size() || !error_.empty()) return false;
    token = Token();
    token.offset = pos_;
    if (text_[pos_] == '\'') return ReadQuoted(token);
    while (pos_ < text_.size() && !IsSpace(text_[pos_]))
      if (!Append(token)) return false;
    return true;
  }

  bool ReadQuoted(Token& token) {
    token.quoted = true;
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size()) return Fail("unterminated quote", token.offset);
      if (text_[pos_] == '\'') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
          token.text += '\'';
          pos_ += 2;
          continue;
        }
        ++pos_;
        return true;
      }
      if (!Append(token)) return false;
    }
  }

  // Adds the character at pos_ to the token, or the value of the variable that starts there.
  bool Append(Token& token) {
    const char c = text_[pos_];
    if (c == '\0') return Fail("NUL character", pos_);
    if (c != '%') {
      token.text += c;
      ++pos_;
      return true;
    }
    const size_t start = pos_;
    const size_t end = text_.find('%', start + 1);
    if (end == std::string::npos) return Fail("unterminated variable", start);
    const std::string name = text_.substr(start + 1, end - start - 1);
    pos_ = end + 1;
    if (name.empty()) {
      token.text += '%';
      return true;
    }
    for (const RegistrarVariable& variable : variables_) {
      if (EqualsNoCase(name, variable.name)) {
        token.text += variable.value;
        return true;
      }
    }
    return Fail("unknown variable %" + name + "%", start);
  }

  const std::string& text_;
  const std::vector<RegistrarVariable>& variables_;
  size_t pos_ = 0;
  std::string error_;
  Token peeked_;
  bool hasPeeked_ = false;
};

class Parser {
 public:
  Parser(const std::string& text, const std::vector<RegistrarVariable>& variables)
      : lexer_(text, variables) {}

  RegistrarParse Run() {
    RegistrarParse result;
    Token token;
    while (lexer_.Next(token)) {
      if (!ParseRoot(token)) return Failed();
    }
    if (!lexer_.error().empty()) return Failed();
    result.ok = true;
    result.keys = std::move(keys_);
    return result;
  }

 private:
  RegistrarParse Failed() {
    RegistrarParse result;
    result.error = error_.empty() ? lexer_.error() : error_;
    return result;
  }

  bool Fail(const std::string& what, const Token& at) {
    error_ = what + " at offset " + std::to_string(at.offset);
    return false;
  }

  // The next word, which must exist.
  bool Expect(Token& token, const char* what) {
    if (lexer_.Next(token)) return true;
    if (lexer_.error().empty()) error_ = std::string("script ends where ") + what + " is expected";
    return false;
  }

  bool IsBrace(const Token& token, char brace) {
    return !token.quoted && token.text.size() == 1 && token.text[0] == brace;
  }

  // A root name and its block of keys. Nesting is followed with an explicit stack of key
  // indexes, so a deeply nested script cannot exhaust the program's stack.
  bool ParseRoot(const Token& rootToken) {
    const RootName* root = nullptr;
    for (const RootName& candidate : kRoots)
      if (IsWord(rootToken, candidate.shortName) || IsWord(rootToken, candidate.longName))
        root = &candidate;
    if (!root) return Fail("expected a root key name, found '" + rootToken.text + "'", rootToken);
    Token token;
    if (!Expect(token, "'{'")) return false;
    if (!IsBrace(token, '{')) return Fail("expected '{' after the root key", token);

    std::vector<size_t> open;  // keys whose blocks are open, innermost last
    for (;;) {
      if (!Expect(token, "'}'")) return false;
      if (IsBrace(token, '}')) {
        if (open.empty()) return true;
        open.pop_back();
        continue;
      }
      if (IsBrace(token, '{')) return Fail("'{' without a key name", token);
      if (IsWord(token, "val")) {
        if (open.empty()) return Fail("value outside a key", token);
        if (!ParseValue(keys_[open.back()])) return false;
        continue;
      }
      if (!ParseKey(token, root->root, open.empty() ? nullptr : &keys_[open.back()])) return false;
      Token next;
      if (lexer_.Peek(next) && IsBrace(next, '{')) {
        lexer_.Next(next);
        if (open.size() >= kRegistrarMaxDepth) return Fail("keys nested too deeply", next);
        open.push_back(keys_.size() - 1);
      }
      if (!lexer_.error().empty()) return false;
    }
  }

  bool CheckName(const Token& token, bool keyName) {
    if (token.text.empty() && keyName) return Fail("empty key name", token);
    if (token.text.size() > kRegistrarMaxNameLength) return Fail("name too long", token);
    // A backslash would reach keys that the script's nesting does not show.
    if (keyName && token.text.find('\\') != std::string::npos)
      return Fail("backslash in a key name", token);
    return true;
  }

  // "= s <string>" after a key or value name.
  bool ParseStringAssignment(std::string& data) {
    Token token;
    if (!Expect(token, "'='")) return false;
    if (!IsWord(token, "=")) return Fail("expected '='", token);
    if (!Expect(token, "a value type")) return false;
    if (!IsWord(token, "s")) return Fail("unsupported value type '" + token.text + "'", token);
    if (!Expect(token, "a string")) return false;
    if (IsBrace(token, '{') || IsBrace(token, '}')) return Fail("expected a string", token);
    data = token.text;
    return true;
  }

  // "val name = s string" inside the block of `key`.
  bool ParseValue(RegistrarKey& key) {
    Token name;
    if (!Expect(name, "a value name")) return false;
    if (IsBrace(name, '{') || IsBrace(name, '}')) return Fail("expected a value name", name);
    if (!CheckName(name, false)) return false;
    RegistrarValue value;
    value.name = name.text;
    if (!ParseStringAssignment(value.data)) return false;
    key.values.push_back(value);
    return true;
  }

  // "[NoRemove] name [= s string]", starting at `token`.
  bool ParseKey(Token token, RegistrarRoot root, const RegistrarKey* parent) {
    RegistrarKey key;
    key.root = root;
    if (IsWord(token, "NoRemove")) {
      key.noRemove = true;
      if (!Expect(token, "a key name")) return false;
    } else if (IsWord(token, "ForceRemove") || IsWord(token, "Delete")) {
      return Fail("unsupported key flag '" + token.text + "'", token);
    }
    if (IsBrace(token, '{') || IsBrace(token, '}') || IsWord(token, "val"))
      return Fail("expected a key name", token);
    if (!CheckName(token, true)) return false;
    key.path = parent ? parent->path + "\\" + token.text : token.text;
    if (key.path.size() > kRegistrarMaxPathLength) return Fail("key path too long", token);
    Token next;
    if (lexer_.Peek(next) && IsWord(next, "=")) {
      RegistrarValue value;
      if (!ParseStringAssignment(value.data)) return false;
      key.values.push_back(value);
    }
    if (!lexer_.error().empty()) return false;
    keys_.push_back(std::move(key));
    return true;
  }

  Lexer lexer_;
  std::vector<RegistrarKey> keys_;
  std::string error_;
};

}  // namespace

RegistrarParse ParseRegistrarScript(const std::string& text,
                                    const std::vector<RegistrarVariable>& variables) {
  return Parser(text, variables).Run();
}

std::vector<RegistrarStep> PlanRegistration(const std::vector<RegistrarKey>& keys, bool registering) {
  std::vector<RegistrarStep> steps;
  if (registering) {
    for (const RegistrarKey& key : keys) {
      steps.push_back({RegistrarStep::CreateKey, key.root, key.path, "", ""});
      for (const RegistrarValue& value : key.values)
        steps.push_back({RegistrarStep::SetString, key.root, key.path, value.name, value.data});
    }
    return steps;
  }
  // Keys are in script order, every parent before its children; walked backwards, every
  // child comes before its parent.
  for (size_t i = keys.size(); i-- > 0;) {
    const RegistrarKey& key = keys[i];
    for (const RegistrarValue& value : key.values)
      if (!value.name.empty())
        steps.push_back({RegistrarStep::DeleteValue, key.root, key.path, value.name, ""});
    if (!key.noRemove)
      steps.push_back({RegistrarStep::DeleteKeyIfNoSubKeys, key.root, key.path, "", ""});
  }
  return steps;
}
