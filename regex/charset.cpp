// Character comparison, sets, escapes and the width-folding table.
#include "regex/regex_engine.h"

#include "text/chars.h"

// {one-byte code, full-width code}, sorted by the full-width code: space and punctuation (41),
// digits and Latin letters (62), katakana (55). Numeric codes only: the clang fuzz build has no
// code page 932 execution charset.
const unsigned short kRegexWidthFoldTable[RX_WIDTH_FOLD_ENTRIES][2] = {
    {0x20, 0x8140}, {0xA4, 0x8141}, {0xA1, 0x8142}, {0x2C, 0x8143}, {0x2E, 0x8144}, {0xA5, 0x8145},
    {0x3A, 0x8146}, {0x3B, 0x8147}, {0x3F, 0x8148}, {0x21, 0x8149}, {0x60, 0x814D}, {0x5E, 0x814F},
    {0x5F, 0x8151}, {0xB0, 0x815B}, {0x2F, 0x815E}, {0x7E, 0x8160}, {0x7C, 0x8162}, {0x27, 0x8166},
    {0x22, 0x8168}, {0x28, 0x8169}, {0x29, 0x816A}, {0x5B, 0x816D}, {0x5D, 0x816E}, {0x7B, 0x816F},
    {0x7D, 0x8170}, {0xA2, 0x8175}, {0xA3, 0x8176}, {0x2B, 0x817B}, {0x2D, 0x817C}, {0x3D, 0x8181},
    {0x3C, 0x8183}, {0x3E, 0x8184}, {0xDF, 0x818B}, {0xDE, 0x818D}, {0x5C, 0x818F}, {0x24, 0x8190},
    {0x25, 0x8193}, {0x23, 0x8194}, {0x26, 0x8195}, {0x2A, 0x8196}, {0x40, 0x8197}, {0x30, 0x824F},
    {0x31, 0x8250}, {0x32, 0x8251}, {0x33, 0x8252}, {0x34, 0x8253}, {0x35, 0x8254}, {0x36, 0x8255},
    {0x37, 0x8256}, {0x38, 0x8257}, {0x39, 0x8258}, {0x41, 0x8260}, {0x42, 0x8261}, {0x43, 0x8262},
    {0x44, 0x8263}, {0x45, 0x8264}, {0x46, 0x8265}, {0x47, 0x8266}, {0x48, 0x8267}, {0x49, 0x8268},
    {0x4A, 0x8269}, {0x4B, 0x826A}, {0x4C, 0x826B}, {0x4D, 0x826C}, {0x4E, 0x826D}, {0x4F, 0x826E},
    {0x50, 0x826F}, {0x51, 0x8270}, {0x52, 0x8271}, {0x53, 0x8272}, {0x54, 0x8273}, {0x55, 0x8274},
    {0x56, 0x8275}, {0x57, 0x8276}, {0x58, 0x8277}, {0x59, 0x8278}, {0x5A, 0x8279}, {0x61, 0x8281},
    {0x62, 0x8282}, {0x63, 0x8283}, {0x64, 0x8284}, {0x65, 0x8285}, {0x66, 0x8286}, {0x67, 0x8287},
    {0x68, 0x8288}, {0x69, 0x8289}, {0x6A, 0x828A}, {0x6B, 0x828B}, {0x6C, 0x828C}, {0x6D, 0x828D},
    {0x6E, 0x828E}, {0x6F, 0x828F}, {0x70, 0x8290}, {0x71, 0x8291}, {0x72, 0x8292}, {0x73, 0x8293},
    {0x74, 0x8294}, {0x75, 0x8295}, {0x76, 0x8296}, {0x77, 0x8297}, {0x78, 0x8298}, {0x79, 0x8299},
    {0x7A, 0x829A}, {0xA7, 0x8340}, {0xB1, 0x8341}, {0xA8, 0x8342}, {0xB2, 0x8343}, {0xA9, 0x8344},
    {0xB3, 0x8345}, {0xAA, 0x8346}, {0xB4, 0x8347}, {0xAB, 0x8348}, {0xB5, 0x8349}, {0xB6, 0x834A},
    {0xB7, 0x834C}, {0xB8, 0x834E}, {0xB9, 0x8350}, {0xBA, 0x8352}, {0xBB, 0x8354}, {0xBC, 0x8356},
    {0xBD, 0x8358}, {0xBE, 0x835A}, {0xBF, 0x835C}, {0xC0, 0x835E}, {0xC1, 0x8360}, {0xAF, 0x8362},
    {0xC2, 0x8363}, {0xC3, 0x8365}, {0xC4, 0x8367}, {0xC5, 0x8369}, {0xC6, 0x836A}, {0xC7, 0x836B},
    {0xC8, 0x836C}, {0xC9, 0x836D}, {0xCA, 0x836E}, {0xCB, 0x8371}, {0xCC, 0x8374}, {0xCD, 0x8377},
    {0xCE, 0x837A}, {0xCF, 0x837D}, {0xD0, 0x837E}, {0xD1, 0x8380}, {0xD2, 0x8381}, {0xD3, 0x8382},
    {0xAC, 0x8383}, {0xD4, 0x8384}, {0xAD, 0x8385}, {0xD5, 0x8386}, {0xAE, 0x8387}, {0xD6, 0x8388},
    {0xD7, 0x8389}, {0xD8, 0x838A}, {0xD9, 0x838B}, {0xDA, 0x838C}, {0xDB, 0x838D}, {0xDC, 0x838F},
    {0xA6, 0x8392}, {0xDD, 0x8393},
};

unsigned RegexFoldWidth(unsigned code) {
  if (code < 0x8140 || code > 0x8393) return code;
  int low = 0;
  int high = RX_WIDTH_FOLD_ENTRIES - 1;
  while (low <= high) {
    int middle = (low + high) / 2;
    unsigned full = kRegexWidthFoldTable[middle][1];
    if (full == code) return kRegexWidthFoldTable[middle][0];
    if (full < code) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return code;
}

static unsigned PatternCode(const unsigned char ch[2]) {
  return ch[1] ? ch[0] * 256u + ch[1] : ch[0];
}

static unsigned LowerAscii(unsigned code) {
  return (code >= 'A' && code <= 'Z') ? code - 'A' + 'a' : code;
}

bool RegexCompareChar(const char* position, const unsigned char ch[2], int flags) {
  unsigned t = CharCodeAt(position);
  unsigned p = PatternCode(ch);
  bool ignoreWidth = (flags & RXF_IGNOREWIDTH) != 0;
  bool ignoreCase = (flags & RXF_IGNORECASE) != 0;
  if (!ignoreWidth && ((t > 0xFF) != (p > 0xFF))) return false;
  if (ignoreWidth || (ignoreCase && t > 0xFF && p > 0xFF)) {
    t = RegexFoldWidth(t);
    p = RegexFoldWidth(p);
  }
  if ((t > 0xFF) != (p > 0xFF)) return false;
  if (ignoreCase) {
    // Codes 0x01-0xFF are lowered; only A-Z change.
    t = LowerAscii(t);
    p = LowerAscii(p);
  }
  return t == p;
}

RegexEscape RegexExpandEscape(const char* escaped) {
  RegexEscape result = {};
  unsigned char c = static_cast<unsigned char>(escaped[0]);
  if (c == 0) {
    // Not reachable from the tokenizer; a backslash at the end stands for itself.
    result.ch[0] = '\\';
    return result;
  }
  if (IsDoubleByteAt(escaped)) {
    result.ch[0] = c;
    result.ch[1] = static_cast<unsigned char>(escaped[1]);
    result.length = 2;
    return result;
  }
  result.length = 1;
  const char* set = nullptr;
  switch (c) {
    case 'd': set = "0-9"; break;
    case 'D': set = "^0-9"; break;
    case 'h': set = "0-9a-fA-F"; break;
    case 'H': set = "^0-9a-fA-F"; break;
    case 's': set = " \t\n\r\f"; break;
    case 'S': set = "^ \t\n\r\f"; break;
    case 'w': set = "_0-9a-zA-Z"; break;
    case 'W': set = "^_0-9a-zA-Z"; break;
    case 'n': c = 0x0A; break;
    case 'r': c = 0x0D; break;
    case 't': c = 0x09; break;
    case 'f': c = 0x0C; break;
    default: break;
  }
  if (set) {
    result.isSet = true;
    result.setText = set;
  } else {
    result.ch[0] = c;
  }
  return result;
}

bool RegexInSetCode(unsigned code, const char* setText) {
  const char* s = setText;
  bool negate = false;
  if (*s == '^') {
    negate = true;
    ++s;
  }
  bool inside = false;
  while (*s) {
    unsigned low;
    if (*s == '\\') {
      RegexEscape escape = RegexExpandEscape(s + 1);
      s += 1 + escape.length;
      if (escape.isSet) {
        // A set escape is tested on its own and never forms a range.
        if (RegexInSetCode(code, escape.setText)) {
          inside = true;
          break;
        }
        continue;
      }
      low = PatternCode(escape.ch);
    } else {
      low = CharCodeAt(s);
      s = NextChar(s);
    }
    unsigned high = low;
    if (*s == '-') {
      const char* h = s + 1;
      if (*h == '\\') {
        RegexEscape escape = RegexExpandEscape(h + 1);
        if (!escape.isSet && h[1] != 0) {
          high = PatternCode(escape.ch);
          s = h + 1 + escape.length;
        }
      } else if (*h != 0) {
        high = CharCodeAt(h);
        s = NextChar(h);
      }
      // Otherwise no range: reading continues at the "-", an item of its own.
    }
    if (low <= code && code <= high) {
      inside = true;
      break;
    }
  }
  return inside != negate;
}

bool RegexInSet(const char* position, const char* setText) {
  return RegexInSetCode(CharCodeAt(position), setText);
}
