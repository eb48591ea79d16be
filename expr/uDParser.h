#pragma once

// TDParser reads one typed text: a scanner that splits it into tokens and reads numbers in several
// notations while keeping track of lines and columns, a compiler that turns the tokens into a
// tree of named operations, and an evaluator that computes the tree through the function registry.
// Every problem becomes a positioned message from a fixed catalogue; nothing in reading raises,
// except the floating-point errors of the functions an expression calls.
//
// Texts are 8-bit Latin-1; positions are byte indexes counted from 0.

#include "expr/functions/uVector.h"
#include "platform/uSmallVector.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

class TParserMessages;
struct TFunction;

enum TTokenKind {
  tkNone, // only blanks, line ends or comments were left, or a character that starts no token
  tkEndOfInput,
  tkIdentifier,
  tkNumber,
  tkPercent,
  tkPlus,
  tkMinus,
  tkStar,
  tkSlash,
  tkCaret,
  tkDoubleStar,
  tkOpenParen,
  tkCloseParen,
  tkOpenBracket,
  tkCloseBracket,
  tkOpenBrace,
  tkCloseBrace,
  tkLess,
  tkGreater,
  tkEqual,
  tkComma,
  tkSemicolon,
  tkDot,
  tkColon,
  tkAssign,
  tkExclamation,
  tkDoubleQuote,
  tkNot, // the not sign, byte 172
};

// How the scanner classes a byte.
enum TCharClass : std::uint8_t {
  ccOther,
  ccLetter, // A-Z, a-z, _
  ccBlank,  // tab, space
  ccLineEnd,
  ccDigit,
  ccNumberPrefix, // # and $
  ccPlus,
  ccMinus,
  ccCaret,
  ccStar,
  ccSlash,
  ccOpenParen,
  ccCloseParen,
  ccDot,
  ccComma,
  ccSemicolon,
  ccPercent,
};

using TCharClasses = std::array<TCharClass, 256>;

// The class table every parser starts from, built at start-up.
extern TCharClasses DefaultCharClasses;

// The message texts, addressed by number; "%1" and "%2" are placeholders.
inline constexpr int MessageCatalogueSize = 51;
extern const std::string_view MessageCatalogue[MessageCatalogueSize];

// The deepest nesting of brackets, calls and not signs the compiler follows. Deeper input is
// reported once and the rest of the text is skipped, so no input can exhaust the stack.
inline constexpr int MaxNesting = 256;

// One node of an expression tree: a constant ("Number") or a call of the registry function Name
// with the children as arguments. A child may be absent, which stands for a missing operand.
// Trees of any depth are released without recursion.
struct TNode {
  std::string Name;
  long double Value = 0;
  TSmallVector<std::unique_ptr<TNode>, 2> Children;
  // The registry entry found for Name and the number of children when the tree was compiled,
  // valid while the registry is in that generation. Evaluate looks names up itself.
  const TFunction* Function = nullptr;
  std::uint64_t FunctionGeneration = 0;

  TNode() = default;
  TNode(std::string name, long double value = 0) : Name(std::move(name)), Value(value) {}
  TNode(const TNode&) = delete;
  TNode& operator=(const TNode&) = delete;
  ~TNode();
};

using TNodePtr = std::unique_ptr<TNode>;

// A compiled expression: the nodes of its tree in a compact form of its own (uDParserTree_p.h).
class TCompiledExpression;

// The tree a read compiles, held compactly: a few bytes a node, freed at once. Used like a
// pointer to its root TNode: reading the nodes through ->, * or get builds them as a TNode tree on
// first use and keeps it with the tree. Empty means no tree.
class TExpressionTree {
 public:
  TExpressionTree() noexcept;
  TExpressionTree(std::nullptr_t) noexcept : TExpressionTree() {}
  explicit TExpressionTree(std::unique_ptr<TCompiledExpression> Compiled) noexcept;
  TExpressionTree(TExpressionTree&&) noexcept;
  TExpressionTree& operator=(TExpressionTree&&) noexcept;
  ~TExpressionTree();

  explicit operator bool() const noexcept { return Compiled_ != nullptr; }
  friend bool operator==(const TExpressionTree& Tree, std::nullptr_t) noexcept { return !Tree; }

  // The root as a TNode, or nullptr for no tree.
  const TNode* get() const;
  const TNode* operator->() const { return get(); }
  // The root of a tree that is not empty.
  const TNode& operator*() const { return *get(); }
  // The compact form, or nullptr for no tree.
  const TCompiledExpression* Compiled() const noexcept { return Compiled_.get(); }
  void reset() noexcept;

 private:
  std::unique_ptr<TCompiledExpression> Compiled_;
  mutable TNodePtr Nodes_;
};

// The tree most recently compiled by ReadValue; released when the next read starts, when a parser
// is created, and at shut-down.
extern TExpressionTree ExpressionTree;

// Releases a tree: the node and all its children.
void FreeTree(TNodePtr& Node) noexcept;
void FreeTree(TExpressionTree& Tree) noexcept;

// Computes a tree: an absent node gives the empty vector, a "Number" node its value, any other node
// the registry function of its name called with its evaluated children. Unknown names and wrong
// argument counts give the empty vector; errors of the functions pass through.
TVector Evaluate(const TNode* Node);
TVector Evaluate(const TExpressionTree& Tree);

class TDParser {
 public:
  // A parser over the characters, read in place: the caller keeps them alive and unchanged while
  // the parser exists. Creating a parser releases ExpressionTree.
  TDParser(const char* Buffer, int Length);
  explicit TDParser(std::string_view Text);
  // Runs the end checks: text left unread, and a comment still open.
  ~TDParser();
  TDParser(const TDParser&) = delete;
  TDParser& operator=(const TDParser&) = delete;

  // Options.
  TParserMessages* Messages = nullptr; // where messages go; none drops them; not owned
  std::string DecimalSeparator;        // one character, or empty
  std::string ThousandSeparator;       // one character, or empty; byte 160 also groups by spaces
  bool CommentsEnabled = false;
  std::string LineComment = "//";
  std::string BlockCommentStart1 = "{";
  std::string BlockCommentEnd1 = "}";
  std::string BlockCommentStart2 = "(*";
  std::string BlockCommentEnd2 = "*)";

  // The current token.
  TTokenKind Kind() const noexcept { return Kind_; }
  // The characters of the current token, within the text read.
  std::string_view TokenText() const noexcept { return TokenText_; }
  // The value of a number token, else 0.
  long double NumberValue() const noexcept { return NumberValue_; }
  // NumberValue rounded half away from zero, saturated to the signed 32-bit range.
  std::int32_t IntValue() const noexcept;
  int Position() const noexcept { return Position_; }
  // Line ends passed, so the line of Position counted from 0.
  int LineIndex() const noexcept { return LineIndex_; }
  int LineStart() const noexcept { return LineStart_; }

  // Scanner.

  // Scans the next token into Kind, TokenText and NumberValue.
  void NextToken();
  bool EndOfInput() const noexcept { return Position_ >= Length_; }
  // True when the characters at Position are Text (an empty Text never matches); on a match
  // Position moves to the last matched character.
  bool Match(std::string_view Text) noexcept;
  // Advances over the bytes 0, 9, 10, 11, 13 and 32.
  void SkipBlanks() noexcept;
  void Skip(int Count) noexcept;
  // Reads a whole number from one character before Position: blanks, any run of signs, decimal
  // digits; leaves Position one past the character that ended the digits; clamps to Min .. Max.
  std::int32_t ReadInteger(std::int32_t Min, std::int32_t Max);
  // Adds catalogue row Number at the current token's columns. ParamMode -1 substitutes nothing;
  // 0 replaces every "%1" by Params[0]; 1 or more replaces "%1" and "%2" by Params[0] and
  // Params[1] in one pass.
  void AddMessage(int Number, std::initializer_list<std::string_view> Params = {},
                  int ParamMode = -1);

  // Compiler and evaluator.

  // Compiles an expression from the current token, consuming the tokens it uses.
  TNodePtr ParseExpression();
  // Reads the whole value of the text: the keywords MIN and MAX give the bounds, an empty or
  // unreadable text DefVal, a value outside MinVal .. MaxVal the nearest bound with a message.
  long double ReadValue(long double MinVal, long double DefVal, long double MaxVal);

 private:
  enum TCommentState {
    csNone,
    csLine,
    csBlock1,
    csBlock2
  };

  void ReadNumber();
  long double ReadDigits(int Base, bool SignAllowed);
  // The compiler adds the nodes of what it reads to Code_, children before their parent; each
  // step returns whether it added an operand, false standing for a missing one.
  bool CompileInto(TCompiledExpression& Code);
  bool EmitExpression();
  bool EmitTerm();
  bool EmitPower();
  bool EmitFactor();
  bool EmitFactorBody();
  void EmitCall(std::string_view Name);
  void Abandon();
  void RunEndChecks();

  const char* Text_;
  int Length_;
  int Position_ = 0;
  int LineIndex_ = 0;
  int LineStart_ = 0;
  TTokenKind Kind_ = tkNone;
  std::string_view TokenText_;
  long double NumberValue_ = 0;
  TCommentState CommentState_ = csNone;
  int CommentLine_ = 0; // the line where the open block comment began
  bool TooManyMessages_ = false;
  int Nesting_ = 0;
  TCompiledExpression* Code_ = nullptr; // where the compiler adds nodes
  bool Abandoned_ = false; // the nesting limit was passed and the rest of the text skipped
  TCharClasses CharClasses_;
};

// Builds the default class table.
void InitializeDParser();
// Releases ExpressionTree.
void FinalizeDParser();
