#include "engine/base/Markup.h"

#include <cstdlib>
#include <new>

namespace mapengine {

namespace {

bool IsSpace(unsigned short c) { return c == ' ' || (c >= 9 && c <= 13); }

bool IsNameUnit(unsigned short c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == ':' || c == '_';
}

unsigned short Peek(const tagMarkupState& s, int ahead = 0) {
  return s.pos + ahead < s.length ? s.text[s.pos + ahead] : 0;
}

bool StartsWith(const tagMarkupState& s, const char* ascii) {
  for (int i = 0; ascii[i]; ++i) {
    if (Peek(s, i) != static_cast<unsigned char>(ascii[i])) {
      return false;
    }
  }
  return true;
}

void Advance(tagMarkupState& s, int count = 1) {
  for (; count > 0 && s.pos < s.length; --count) {
    if (s.text[s.pos++] == '\n') {
      ++s.line;
    }
  }
}

// Collects units up to the terminator (skipped) or the end of the text.
void CollectUntil(tagMarkupState& s, const char* terminator) {
  while (s.pos < s.length && !StartsWith(s, terminator)) {
    MarkupAppendUnit(s, s.text[s.pos]);
    Advance(s);
  }
  for (int i = 0; terminator[i]; ++i) {
    Advance(s);
  }
}

bool TokenIs(const tagMarkupState& s, const CVString& name) {
  return wide_stricmp(s.token.data() + 1, name.GetBuffer() ? name.GetBuffer() : VStr(u"")) == 0;
}

}  // namespace

tagMarkupNode* NewMarkupNode(tagMarkupNode* parent, int type, const unsigned short* text) {
  void* raw = std::calloc(1, sizeof(tagMarkupNode));
  if (!raw) {
    return nullptr;
  }
  auto* node = new (raw) tagMarkupNode{type, CVString(text), nullptr, nullptr};
  if (parent) {
    tagMarkupNode** link = &parent->child;
    while (*link) {
      link = &(*link)->next;
    }
    *link = node;
  }
  return node;
}

void FreeMarkupTree(tagMarkupNode* node) {
  // Seen as a binary tree (child left, next sibling right): a node with a
  // child is rotated so that the child comes first; a node without one is
  // freed. Depth and sibling count never grow the native stack.
  while (node) {
    if (node->child) {
      tagMarkupNode* child = node->child;
      node->child = child->next;
      child->next = node;
      node = child;
    } else {
      tagMarkupNode* next = node->next;
      node->~tagMarkupNode();
      std::free(node);
      node = next;
    }
  }
}

void MarkupAddNode(tagMarkupState& state, tagMarkupNode* node) {
  // The tails keep appending constant-time however many siblings there are.
  tagMarkupNode*& tail = state.stack.empty() ? state.headTail : state.tails.back();
  if (tail) {
    tail->next = node;
  } else if (state.stack.empty()) {
    state.head = node;
  } else {
    state.stack.back()->child = node;
  }
  tail = node;
}

void MarkupPushElement(tagMarkupState& state, tagMarkupNode* element) {
  state.stack.push_back(element);
  state.tails.push_back(nullptr);
}

void MarkupPopElement(tagMarkupState& state) {
  state.stack.pop_back();
  state.tails.pop_back();
}

void MarkupAppendUnit(tagMarkupState& state, unsigned short unit) {
  if (state.token.empty()) {
    state.token.push_back(0);
  }
  state.token.back() = unit;
  state.token.push_back(0);
}

int MarkupNextToken(tagMarkupState& s) {
  s.token.assign(1, 0);
  while (s.pos < s.length && IsSpace(s.text[s.pos])) {
    Advance(s);
  }
  int type;
  if (StartsWith(s, "<!--")) {
    Advance(s, 4);
    CollectUntil(s, "-->");
    type = kTokenComment;
  } else if (StartsWith(s, "<!")) {
    Advance(s, 2);
    CollectUntil(s, ">");
    type = kTokenComment;
  } else if (s.pos >= s.length) {
    type = kTokenEnd;
  } else if (s.insideTag) {
    unsigned short c = Peek(s);
    if (c == '"' || c == '\'') {
      Advance(s);
      while (s.pos < s.length && Peek(s) != c) {
        MarkupAppendUnit(s, Peek(s));
        Advance(s);
      }
      Advance(s);
      type = kTokenText;
    } else if (StartsWith(s, "/>")) {
      Advance(s, 2);
      s.insideTag = false;
      type = kTokenEmptyClose;
    } else if (StartsWith(s, "?>")) {
      Advance(s, 2);
      s.insideTag = false;
      type = kTokenDeclClose;
    } else if (c == '=') {
      Advance(s);
      type = kTokenEquals;
    } else if (c == '>') {
      Advance(s);
      s.insideTag = false;
      type = kTokenClose;
    } else {
      MarkupAppendUnit(s, c);
      Advance(s);
      while (s.pos < s.length && IsNameUnit(Peek(s))) {
        MarkupAppendUnit(s, Peek(s));
        Advance(s);
      }
      type = kTokenName;
    }
  } else if (Peek(s) == '<') {
    Advance(s);
    s.insideTag = true;
    type = kTokenOpen;
  } else {
    while (s.pos < s.length && Peek(s) != '<') {
      MarkupAppendUnit(s, Peek(s));
      Advance(s);
    }
    type = kTokenText;
  }
  s.lastToken = type;
  return type;
}

tagMarkupNode* ParseMarkup(const CVString& text) {
  tagMarkupState s;
  s.text = text.GetBuffer();
  s.length = text.GetLength();
  bool more = true;
  while (more) {
    int token = MarkupNextToken(s);
    const unsigned short* value = s.token.data();
    tagMarkupNode* node = nullptr;
    switch (token) {
      case kTokenText:
        more = !s.insideTag && (node = NewMarkupNode(nullptr, kMarkupText, value)) != nullptr;
        if (more) {
          MarkupAddNode(s, node);
        }
        break;
      case kTokenOpen:
        if (MarkupNextToken(s) != kTokenName) {
          more = false;
        } else if (s.token[0] != '/') {
          more = (node = NewMarkupNode(nullptr, kMarkupElement, s.token.data())) != nullptr;
          if (more) {
            MarkupAddNode(s, node);
            MarkupPushElement(s, node);
          }
        } else {
          more = !s.stack.empty() && TokenIs(s, s.stack.back()->text) && MarkupNextToken(s) == kTokenClose;
          if (more) {
            MarkupPopElement(s);
          }
        }
        break;
      case kTokenClose:
        more = !s.stack.empty();
        break;
      case kTokenName:
        more = (node = NewMarkupNode(nullptr, kMarkupAttribute, value)) != nullptr;
        if (more) {
          MarkupAddNode(s, node);
          int next = MarkupNextToken(s);
          if (next == kTokenEquals) {
            next = MarkupNextToken(s);
          } else {
            more = false;
          }
          more = more && (next == kTokenText || next == kTokenName) &&
                 NewMarkupNode(node, kMarkupText, s.token.data()) != nullptr;
        }
        break;
      case kTokenEmptyClose:
        more = !s.stack.empty();
        if (more) {
          MarkupPopElement(s);
        }
        break;
      case kTokenDeclClose:
        more = !s.stack.empty() && s.stack.back()->text.GetAt(0) == '?';
        if (more) {
          MarkupPopElement(s);
        }
        break;
      case kTokenComment:
        more = (node = NewMarkupNode(nullptr, kMarkupComment, value)) != nullptr;
        if (more) {
          MarkupAddNode(s, node);
        }
        break;
      default:
        more = false;
        break;
    }
  }
  return s.head;
}

}  // namespace mapengine
