// A small, forgiving reader of tag markup (WML, HTML or XML-like text). It
// builds a tree of elements, attributes, text and comments and stops quietly at
// the first token that does not fit, returning what it built until then.
#pragma once

#include <vector>

#include "engine/base/VString.h"

namespace mapengine {

enum : int {
  kMarkupElement = 0,
  kMarkupText = 1,
  kMarkupAttribute = 2,
  kMarkupComment = 3
};

// One node. An attribute's value is its one child, a text node. Nodes come
// zeroed from the general heap; free a tree with FreeMarkupTree.
struct tagMarkupNode {
  int type;
  CVString text;  // tag name, attribute name, text or comment body
  tagMarkupNode* next;
  tagMarkupNode* child;

  // 1 when the node is not an element.
  int IsText() const { return type != kMarkupElement ? 1 : 0; }
};

// Token types of MarkupNextToken.
enum : int {
  kTokenEnd = 0,
  kTokenText = 1,
  kTokenOpen = 2,        // "<"
  kTokenClose = 3,       // ">"
  kTokenEquals = 4,      // "="
  kTokenName = 5,
  kTokenEmptyClose = 6,  // "/>"
  kTokenDeclClose = 7,   // "?>"
  kTokenComment = 8      // "<!-- ... -->" or "<! ... >"
};

struct tagMarkupState {
  const unsigned short* text = nullptr;
  int length = 0;
  int pos = 0;
  int line = 0;
  bool insideTag = false;
  int lastToken = kTokenEnd;
  std::vector<unsigned short> token;  // the last token, zero-terminated
  std::vector<tagMarkupNode*> stack;  // open elements
  std::vector<tagMarkupNode*> tails;  // the last child of each open element
  tagMarkupNode* head = nullptr;      // first top-level node
  tagMarkupNode* headTail = nullptr;  // last top-level node
};

// Parses the text; the first top-level node, null when nothing was built.
tagMarkupNode* ParseMarkup(const CVString& text);
// Frees the node, its children and its following siblings.
void FreeMarkupTree(tagMarkupNode* node);
// A new node; with a parent it is appended to the parent's children. Null
// when memory ran out.
tagMarkupNode* NewMarkupNode(tagMarkupNode* parent, int type, const unsigned short* text);
// Appends the node to the element on top of the stack, or to the top level.
void MarkupAddNode(tagMarkupState& state, tagMarkupNode* node);
void MarkupPushElement(tagMarkupState& state, tagMarkupNode* element);
void MarkupPopElement(tagMarkupState& state);
void MarkupAppendUnit(tagMarkupState& state, unsigned short unit);
// Scans the next token into the token buffer and returns its type.
int MarkupNextToken(tagMarkupState& state);

}  // namespace mapengine
