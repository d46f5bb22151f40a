#include "document/json_value.h"

namespace velmora {
namespace {

class Parser {
 public:
  Parser(std::string_view t, JsonError& e) : t_(t), error_(e) {}

  std::optional<JsonValue> document() {
    JsonValue v;
    if (!value(v, 0)) return std::nullopt;
    skip();
    if (p_ != t_.size()) return fail("多余的内容");
    return v;
  }

 private:
  std::nullopt_t fail(const char* what) {
    if (error_.message.empty()) {
      error_.message = what;
      error_.offset = p_;
    }
    return std::nullopt;
  }
  bool failed(const char* what) {
    fail(what);
    return false;
  }
  void skip() {
    while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\t' || t_[p_] == '\n' || t_[p_] == '\r')) ++p_;
  }
  bool literal(std::string_view word) {
    if (t_.substr(p_, word.size()) != word) return failed("无效的值");
    p_ += word.size();
    return true;
  }

  bool value(JsonValue& v, int depth) {
    if (depth > 64) return failed("嵌套过深");
    skip();
    if (p_ >= t_.size()) return failed("内容不完整");
    char c = t_[p_];
    if (c == '{') return object(v, depth);
    if (c == '[') return array(v, depth);
    if (c == '"') {
      v.type = JsonValue::Type::String;
      return string(v.text);
    }
    if (c == 't' || c == 'f') {
      v.type = JsonValue::Type::Bool;
      v.boolean = c == 't';
      return literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') return literal("null");
    if (c == '-' || (c >= '0' && c <= '9')) {
      std::size_t start = p_;
      while (p_ < t_.size() && std::string_view("+-0123456789.eE").find(t_[p_]) != std::string_view::npos) ++p_;
      v.type = JsonValue::Type::Number;
      v.text = std::string(t_.substr(start, p_ - start));
      return true;
    }
    return failed("无效的值");
  }

  bool object(JsonValue& v, int depth) {
    v.type = JsonValue::Type::Object;
    ++p_;
    skip();
    if (p_ < t_.size() && t_[p_] == '}') {
      ++p_;
      return true;
    }
    for (;;) {
      skip();
      std::string key;
      if (p_ >= t_.size() || t_[p_] != '"') return failed("应为键名");
      if (!string(key)) return false;
      skip();
      if (p_ >= t_.size() || t_[p_] != ':') return failed("应为冒号");
      ++p_;
      JsonValue member;
      if (!value(member, depth + 1)) return false;
      v.members.push_back({std::move(key), std::move(member)});
      skip();
      if (p_ < t_.size() && t_[p_] == ',') {
        ++p_;
        continue;
      }
      if (p_ < t_.size() && t_[p_] == '}') {
        ++p_;
        return true;
      }
      return failed("应为逗号或右花括号");
    }
  }

  bool array(JsonValue& v, int depth) {
    v.type = JsonValue::Type::Array;
    ++p_;
    skip();
    if (p_ < t_.size() && t_[p_] == ']') {
      ++p_;
      return true;
    }
    for (;;) {
      JsonValue item;
      if (!value(item, depth + 1)) return false;
      v.items.push_back(std::move(item));
      skip();
      if (p_ < t_.size() && t_[p_] == ',') {
        ++p_;
        continue;
      }
      if (p_ < t_.size() && t_[p_] == ']') {
        ++p_;
        return true;
      }
      return failed("应为逗号或右方括号");
    }
  }

  static void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  bool hex4(char32_t& out) {
    if (p_ + 4 > t_.size()) return failed("无效的转义");
    out = 0;
    for (int i = 0; i < 4; ++i) {
      char c = t_[p_++];
      out <<= 4;
      if (c >= '0' && c <= '9') out |= c - '0';
      else if (c >= 'a' && c <= 'f') out |= c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') out |= c - 'A' + 10;
      else return failed("无效的转义");
    }
    return true;
  }

  bool string(std::string& out) {
    ++p_;  // opening quote
    while (p_ < t_.size()) {
      char c = t_[p_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return failed("字符串中有控制字符");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (p_ >= t_.size()) break;
      char e = t_[p_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          char32_t cp;
          if (!hex4(cp)) return false;
          if (cp >= 0xD800 && cp <= 0xDBFF && t_.substr(p_, 2) == "\\u") {
            p_ += 2;
            char32_t low;
            if (!hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return failed("无效的代理对");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            return failed("无效的代理对");
          }
          appendUtf8(out, cp);
          break;
        }
        default:
          return failed("无效的转义");
      }
    }
    return failed("字符串未结束");
  }

  std::string_view t_;
  JsonError& error_;
  std::size_t p_ = 0;
};

}  // namespace

std::optional<JsonValue> parseJson(std::string_view text, JsonError& error) {
  error = {};
  return Parser(text, error).document();
}

}  // namespace velmora
