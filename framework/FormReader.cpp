#include "framework/FormReader.h"

#include "framework/Collections.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"
#include "framework/PersistentTypes.h"
#include "framework/Resources.h"
#include "framework/Streams.h"
#include "framework/Strings.h"

#include <QFile>
#include <QMetaEnum>
#include <QMetaProperty>
#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

namespace {

struct PropReaderEntry {
    std::function<bool(TPersistent*)> accepts;
    TPersistentPropReader reader;
};

std::vector<PropReaderEntry>& PropReaders()
{
    static std::vector<PropReaderEntry> readers;
    return readers;
}

std::vector<std::pair<QMetaType, std::function<TPersistent*(const QVariant&)>>>& PointerTypes()
{
    static std::vector<std::pair<QMetaType, std::function<TPersistent*(const QVariant&)>>> types;
    return types;
}

// An EReadError whose message already names the source and the line.
class ELocatedReadError : public EReadError {
public:
    using EReadError::EReadError;
};

[[noreturn]] void ReadError(const QString& source, int line, const QString& message)
{
    throw ELocatedReadError(QStringLiteral("Error reading %1 (line %2): %3").arg(source).arg(line).arg(message));
}

// ----- integers --------------------------------------------------------------------------------

// The storage of an integer property.
struct IntType {
    int bits;
    bool isSigned;
};

// Fits n, the integer that Value stands for, into an integer of type t; false when it does not
// fit. A hexadecimal number gives the type's bits (two's complement for a signed type: $FFFFFFFF
// is -1 in 32 bits); any other value must lie in the type's range.
bool FitInteger(const TFormValue& value, int64_t n, IntType t, int64_t& out)
{
    if (value.kind == TFormValue::Int && value.hex) {
        const uint64_t u = uint64_t(n);
        if (t.bits < 64 && (u >> t.bits) != 0)
            return false;
        out = t.isSigned && t.bits < 64 && (u >> (t.bits - 1)) != 0 ? int64_t(u) - (int64_t(1) << t.bits) : int64_t(u);
        return true;
    }
    if (t.isSigned) {
        if (t.bits < 64 && (n < -(int64_t(1) << (t.bits - 1)) || n >= (int64_t(1) << (t.bits - 1))))
            return false;
    } else if (n < 0 || (t.bits < 64 && (uint64_t(n) >> t.bits) != 0)) {
        return false;
    }
    out = n;
    return true;
}

[[noreturn]] void OutOfRange(const TFormValue& value)
{
    throw EReadError(QStringLiteral("Value %1 out of range").arg(value.Describe()));
}

// n as a 32-bit signed integer; raises "out of range" when it does not fit.
int FitInt32(const TFormValue& value, int64_t n)
{
    int64_t out = 0;
    if (!FitInteger(value, n, {32, true}, out))
        OutOfRange(value);
    return int(out);
}

// n within lo..hi; raises "out of range" otherwise.
int FitBetween(const TFormValue& value, int64_t n, int lo, int hi)
{
    const int v = FitInt32(value, n);
    if (v < lo || v > hi)
        OutOfRange(value);
    return v;
}

// ----- tokenizer -------------------------------------------------------------------------------

bool IsHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

struct Token {
    enum Type { End, Ident, Number, String, Symbol };
    Type type = End;
    QString text;     // Ident, Number, Symbol
    QString str;      // String (decoded)
    bool isFloat = false;
    int line = 1;
};

class Lexer {
public:
    Lexer(const QByteArray& text, QString source) : FText(QString::fromUtf8(text)), FSource(std::move(source)) {}

    Token Next()
    {
        SkipBlanks();
        Token t;
        t.line = FLine;
        if (FPos >= FText.size())
            return t;
        const QChar c = FText.at(FPos);
        if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype start = FPos;
            while (FPos < FText.size() &&
                   (FText.at(FPos).isLetterOrNumber() || FText.at(FPos) == QLatin1Char('_') ||
                    FText.at(FPos) == QLatin1Char('.')))
                ++FPos;
            t.type = Token::Ident;
            t.text = FText.mid(start, FPos - start);
            return t;
        }
        if (c.isDigit() || ((c == QLatin1Char('-') || c == QLatin1Char('+')) && FPos + 1 < FText.size() &&
                            FText.at(FPos + 1).isDigit())) {
            const qsizetype start = FPos;
            ++FPos;
            while (FPos < FText.size()) {
                const QChar d = FText.at(FPos);
                if (d.isDigit()) {
                    ++FPos;
                } else if (d == QLatin1Char('.') || d == QLatin1Char('e') || d == QLatin1Char('E')) {
                    t.isFloat = true;
                    ++FPos;
                    if ((d == QLatin1Char('e') || d == QLatin1Char('E')) && FPos < FText.size() &&
                        (FText.at(FPos) == QLatin1Char('-') || FText.at(FPos) == QLatin1Char('+')))
                        ++FPos;
                } else {
                    break;
                }
            }
            t.type = Token::Number;
            t.text = FText.mid(start, FPos - start);
            return t;
        }
        if (c == QLatin1Char('$')) {
            const qsizetype start = FPos++;
            while (FPos < FText.size() && IsHexDigit(FText.at(FPos)))
                ++FPos;
            t.type = Token::Number;
            t.text = FText.mid(start, FPos - start);
            return t;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
            t.type = Token::String;
            t.str = ReadStringPieces();
            // 'abc' + 'def' across lines.
            for (;;) {
                const qsizetype save = FPos;
                const int saveLine = FLine;
                SkipBlanks();
                if (FPos < FText.size() && FText.at(FPos) == QLatin1Char('+')) {
                    ++FPos;
                    SkipBlanks();
                    if (FPos < FText.size() && (FText.at(FPos) == QLatin1Char('\'') || FText.at(FPos) == QLatin1Char('#'))) {
                        t.str += ReadStringPieces();
                        continue;
                    }
                }
                FPos = save;
                FLine = saveLine;
                break;
            }
            return t;
        }
        t.type = Token::Symbol;
        t.text = QString(c);
        ++FPos;
        return t;
    }

    // Reads hex digits up to the closing brace of a binary value.
    QByteArray ReadHexUntilBrace()
    {
        QByteArray hex;
        while (FPos < FText.size() && FText.at(FPos) != QLatin1Char('}')) {
            const QChar c = FText.at(FPos++);
            if (c == QLatin1Char('\n'))
                ++FLine;
            if (c.isSpace())
                continue;
            if (!IsHexDigit(c))
                ReadError(FSource, FLine, QStringLiteral("Invalid binary value"));
            hex.append(c.toLatin1());
        }
        if (FPos >= FText.size())
            ReadError(FSource, FLine, QStringLiteral("Unterminated binary value"));
        ++FPos;
        if (hex.size() % 2)
            ReadError(FSource, FLine, QStringLiteral("Invalid binary value"));
        return QByteArray::fromHex(hex);
    }

    int Line() const { return FLine; }
    const QString& Source() const { return FSource; }

private:
    void SkipBlanks()
    {
        while (FPos < FText.size()) {
            const QChar c = FText.at(FPos);
            if (c == QLatin1Char('\n')) {
                ++FLine;
                ++FPos;
            } else if (c.isSpace()) {
                ++FPos;
            } else if (c == QLatin1Char('/') && FPos + 1 < FText.size() && FText.at(FPos + 1) == QLatin1Char('/')) {
                while (FPos < FText.size() && FText.at(FPos) != QLatin1Char('\n'))
                    ++FPos;
            } else {
                break;
            }
        }
    }

    // 'text' and #nn pieces written next to each other form one string.
    QString ReadStringPieces()
    {
        QString out;
        while (FPos < FText.size()) {
            const QChar c = FText.at(FPos);
            if (c == QLatin1Char('\'')) {
                ++FPos;
                for (;;) {
                    if (FPos >= FText.size() || FText.at(FPos) == QLatin1Char('\n'))
                        ReadError(FSource, FLine, QStringLiteral("Unterminated string"));
                    const QChar d = FText.at(FPos++);
                    if (d == QLatin1Char('\'')) {
                        if (FPos < FText.size() && FText.at(FPos) == QLatin1Char('\'')) {
                            out += QLatin1Char('\'');
                            ++FPos;
                            continue;
                        }
                        break;
                    }
                    out += d;
                }
            } else if (c == QLatin1Char('#')) {
                ++FPos;
                const qsizetype start = FPos;
                while (FPos < FText.size() && FText.at(FPos).isDigit())
                    ++FPos;
                bool ok = false;
                const uint code = FText.mid(start, FPos - start).toUInt(&ok);
                if (!ok || code > 0x10FFFF)
                    ReadError(FSource, FLine, QStringLiteral("Invalid character code"));
                out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            } else {
                break;
            }
        }
        return out;
    }

    QString FText;
    QString FSource;
    qsizetype FPos = 0;
    int FLine = 1;
};

// ----- parse tree ------------------------------------------------------------------------------

struct ObjectNode {
    QString name;
    QString className;
    int line = 0;
    std::vector<TFormProp> props;
    std::vector<int> propLines;
    std::vector<ObjectNode> children;
};

class Parser {
public:
    explicit Parser(Lexer& lex) : L(lex) { Advance(); }

    ObjectNode ParseObject()
    {
        const Level level(*this);
        if (T.type != Token::Ident ||
            (T.text.compare(QLatin1String("object"), Qt::CaseInsensitive) != 0 &&
             T.text.compare(QLatin1String("inherited"), Qt::CaseInsensitive) != 0 &&
             T.text.compare(QLatin1String("inline"), Qt::CaseInsensitive) != 0))
            Error(QStringLiteral("'object' expected"));
        ObjectNode node;
        node.line = T.line;
        Advance();
        if (T.type != Token::Ident)
            Error(QStringLiteral("Component name expected"));
        node.name = T.text;
        Advance();
        if (IsSymbol(":")) {
            Advance();
            if (T.type != Token::Ident)
                Error(QStringLiteral("Class name expected"));
            node.className = T.text;
            Advance();
        } else {
            // "object TClass" without a name.
            node.className = node.name;
            node.name.clear();
        }
        for (;;) {
            if (T.type == Token::End)
                Error(QStringLiteral("'end' expected"));
            if (T.type == Token::Ident && T.text.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0) {
                Advance();
                break;
            }
            if (T.type == Token::Ident &&
                (T.text.compare(QLatin1String("object"), Qt::CaseInsensitive) == 0 ||
                 T.text.compare(QLatin1String("inherited"), Qt::CaseInsensitive) == 0 ||
                 T.text.compare(QLatin1String("inline"), Qt::CaseInsensitive) == 0)) {
                node.children.push_back(ParseObject());
                continue;
            }
            if (T.type != Token::Ident)
                Error(QStringLiteral("Property name expected"));
            const QString prop = T.text;
            const int line = T.line;
            Advance();
            Expect("=");
            node.props.push_back({prop, ParseValue()});
            node.propLines.push_back(line);
        }
        return node;
    }

    bool AtEnd() const { return T.type == Token::End; }

private:
    // One level of objects, lists or collections; refuses to open more than FormReaderMaxNesting.
    class Level {
    public:
        explicit Level(Parser& p) : FParser(p)
        {
            if (FParser.FDepth >= FormReaderMaxNesting)
                FParser.Error(QStringLiteral("Definition nested deeper than %1 levels").arg(FormReaderMaxNesting));
            ++FParser.FDepth;
        }
        ~Level() { --FParser.FDepth; }
        Level(const Level&) = delete;
        Level& operator=(const Level&) = delete;

    private:
        Parser& FParser;
    };

    TFormValue ParseValue()
    {
        TFormValue v;
        switch (T.type) {
        case Token::Number:
            if (T.text.startsWith(QLatin1Char('$'))) {
                // Up to 64 bits; the property it goes to decides how many of them it takes.
                bool ok = false;
                v.kind = TFormValue::Int;
                v.hex = true;
                v.i = int64_t(T.text.mid(1).toULongLong(&ok, 16));
                if (!ok)
                    Error(QStringLiteral("Invalid number %1").arg(T.text));
            } else if (T.isFloat) {
                bool ok = false;
                v.kind = TFormValue::Float;
                v.f = T.text.toDouble(&ok);
                if (!ok)
                    Error(QStringLiteral("Invalid number %1").arg(T.text));
            } else {
                bool ok = false;
                v.kind = TFormValue::Int;
                v.i = T.text.toLongLong(&ok);
                if (!ok)
                    Error(QStringLiteral("Invalid number %1").arg(T.text));
            }
            Advance();
            return v;
        case Token::String:
            v.kind = TFormValue::Str;
            v.s = T.str;
            Advance();
            return v;
        case Token::Ident:
            if (T.text.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
                Advance();
                if (T.type != Token::String)
                    Error(QStringLiteral("File name expected"));
                v.kind = TFormValue::Binary;
                v.bin = LoadBinaryFile(T.str);
                Advance();
                return v;
            }
            v.kind = TFormValue::Ident;
            v.s = T.text;
            Advance();
            return v;
        case Token::Symbol:
            if (IsSymbol("[")) {
                v.kind = TFormValue::Set;
                Advance();
                while (!IsSymbol("]")) {
                    if (T.type != Token::Ident)
                        Error(QStringLiteral("Set element expected"));
                    v.set << T.text;
                    Advance();
                    if (IsSymbol(","))
                        Advance();
                    else if (!IsSymbol("]"))
                        Error(QStringLiteral("',' or ']' expected"));
                }
                Advance();
                return v;
            }
            if (IsSymbol("(")) {
                const Level level(*this);
                v.kind = TFormValue::List;
                Advance();
                while (!IsSymbol(")")) {
                    if (T.type == Token::End)
                        Error(QStringLiteral("')' expected"));
                    v.list.push_back(ParseValue());
                }
                Advance();
                return v;
            }
            if (IsSymbol("<")) {
                const Level level(*this);
                v.kind = TFormValue::Collection;
                Advance();
                while (!IsSymbol(">")) {
                    if (T.type != Token::Ident || T.text.compare(QLatin1String("item"), Qt::CaseInsensitive) != 0)
                        Error(QStringLiteral("'item' expected"));
                    Advance();
                    std::vector<TFormProp> item;
                    while (!(T.type == Token::Ident && T.text.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0)) {
                        if (T.type != Token::Ident)
                            Error(QStringLiteral("Property name expected"));
                        const QString prop = T.text;
                        Advance();
                        Expect("=");
                        item.push_back({prop, ParseValue()});
                    }
                    Advance();
                    v.items.push_back(std::move(item));
                }
                Advance();
                return v;
            }
            if (IsSymbol("{")) {
                v.kind = TFormValue::Binary;
                v.bin = L.ReadHexUntilBrace();
                Advance();
                return v;
            }
            break;
        default:
            break;
        }
        Error(QStringLiteral("Invalid property value"));
    }

    // Binary data of stored forms comes from the program's resources only (":/pictures/<name>"):
    // a definition never reaches into the file system.
    QByteArray LoadBinaryFile(const QString& name)
    {
        QByteArray data;
        if (!FindResourceData(QStringLiteral("pictures"), name, data))
            Error(QStringLiteral("File '%1' not found in the program's resources").arg(name));
        return data;
    }

    bool IsSymbol(const char* s) const { return T.type == Token::Symbol && T.text == QLatin1String(s); }
    void Expect(const char* s)
    {
        if (!IsSymbol(s))
            Error(QStringLiteral("'%1' expected").arg(QLatin1String(s)));
        Advance();
    }
    void Advance() { T = L.Next(); }
    [[noreturn]] void Error(const QString& m) { ReadError(L.Source(), T.line, m); }

    Lexer& L;
    Token T;
    int FDepth = 0;
};

// ----- applying --------------------------------------------------------------------------------

struct Fixup {
    TComponent* component;
    QString prop;
    QString target;
    int line;
};

class Applier {
public:
    Applier(TComponent* root, QString source) : FRoot(root), FSource(std::move(source)) {}

    void ApplyRoot(const ObjectNode& node)
    {
        if (FRoot->Name().isEmpty() && !node.name.isEmpty())
            FRoot->SetName(node.name);
        FRoot->SetComponentStateBits(csLoading | csReading);
        FLoaded.push_back(FRoot);
        ApplyProps(FRoot, node);
        for (const ObjectNode& child : node.children)
            CreateChild(child, dynamic_cast<TWinControl*>(FRoot), FRoot);
        ResolveFixups();
        for (TComponent* c : FLoaded) {
            c->ClearComponentStateBits(csReading);
            c->Loaded();
            c->ClearComponentStateBits(csLoading);
        }
    }

private:
    // Creates the component of a nested object. parent is the control the enclosing objects give
    // (controls are placed on it); container is the enclosing object itself.
    void CreateChild(const ObjectNode& node, TWinControl* parent, TComponent* container)
    {
        TComponentFactory factory = FindComponentClass(node.className);
        if (!factory)
            ReadError(FSource, node.line, QStringLiteral("Class %1 not found").arg(node.className));
        // Inside a menu or a menu item only menu items can stand: they become its sub-items.
        const bool inMenu = dynamic_cast<TMenu*>(container) || dynamic_cast<TMenuItem*>(container);
        TComponent* c = factory(FRoot);
        auto* item = dynamic_cast<TMenuItem*>(c);
        if (inMenu && !item) {
            delete c;
            ReadError(FSource, node.line,
                      QStringLiteral("%1: a %2 cannot stand inside a menu").arg(node.name, node.className));
        }
        c->SetComponentStateBits(csLoading | csReading);
        FLoaded.push_back(c);
        try {
            c->SetName(node.name);
        } catch (const Exception& e) {
            ReadError(FSource, node.line, e.Message());
        }
        if (auto* ctl = dynamic_cast<TControl*>(c); ctl && parent)
            ctl->SetParent(parent);
        if (item && inMenu) {
            if (auto* menu = dynamic_cast<TMenu*>(container))
                menu->Items()->Add(item);
            else
                static_cast<TMenuItem*>(container)->Add(item);
        }
        ApplyProps(c, node);
        for (const ObjectNode& child : node.children)
            CreateChild(child, dynamic_cast<TWinControl*>(c) ? static_cast<TWinControl*>(c) : parent, c);
    }

    void ApplyProps(TComponent* c, const ObjectNode& node)
    {
        for (size_t i = 0; i < node.props.size(); ++i) {
            const auto& [name, value] = node.props[i];
            try {
                ApplyProp(c, c, name, value, node.propLines[i]);
            } catch (const ELocatedReadError&) {
                throw;
            } catch (const Exception& e) {
                ReadError(FSource, node.propLines[i],
                          QStringLiteral("%1.%2: %3").arg(c->Name(), name, e.Message()));
            }
        }
    }

    [[noreturn]] void PropError(QObject* obj, const QString& name, int line, const QString& why)
    {
        QString owner = obj->objectName();
        if (owner.isEmpty())
            owner = QString::fromLatin1(obj->metaObject()->className());
        ReadError(FSource, line, QStringLiteral("%1.%2: %3").arg(owner, name, why));
    }

    static int FindProperty(const QMetaObject* mo, const QString& name)
    {
        int idx = mo->indexOfProperty(name.toLatin1().constData());
        if (idx >= 0)
            return idx;
        for (int i = 0; i < mo->propertyCount(); ++i)
            if (QString::fromLatin1(mo->property(i).name()).compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    void ApplyProp(TComponent* component, QObject* obj, const QString& path, const TFormValue& value, int line)
    {
        const qsizetype dot = path.indexOf(QLatin1Char('.'));
        const QString head = dot < 0 ? path : path.left(dot);
        const QString rest = dot < 0 ? QString() : path.mid(dot + 1);

        // Events: bound to the root's methods by name.
        if (dot < 0 && component == obj && component->HasEvent(head)) {
            if (value.kind != TFormValue::Ident)
                PropError(obj, path, line, QStringLiteral("Invalid property value"));
            const std::any* method = FRoot->FindMethod(value.s);
            if (!method)
                PropError(obj, path, line, QStringLiteral("Method %1 not found").arg(value.s));
            if (!component->SetEventByName(head, *method))
                PropError(obj, path, line, QStringLiteral("Method %1 does not fit the event").arg(value.s));
            return;
        }

        const QMetaObject* mo = obj->metaObject();
        const int idx = FindProperty(mo, head);
        if (idx < 0) {
            if (dot < 0 && value.kind == TFormValue::Binary && component == obj &&
                component->ReadBinaryProperty(head, value.bin))
                return;
            PropError(obj, path, line, QStringLiteral("Property does not exist"));
        }
        const QMetaProperty p = mo->property(idx);

        if (dot >= 0 || value.kind == TFormValue::Collection) {
            TPersistent* sub = SubObject(obj, p);
            if (!sub)
                PropError(obj, path, line, QStringLiteral("Property does not exist"));
            if (value.kind == TFormValue::Collection) {
                auto* coll = dynamic_cast<TCollection*>(sub);
                if (!coll || dot >= 0)
                    PropError(obj, path, line, QStringLiteral("Invalid property value"));
                ReadCollection(component, coll, value, line);
                return;
            }
            for (const auto& r : PropReaders()) {
                if (r.accepts(sub) && r.reader(sub, rest, value))
                    return;
            }
            PropError(obj, path, line, QStringLiteral("Property does not exist"));
        }

        // A reference to another component: resolved when every component exists.
        if (p.metaType().flags() & QMetaType::PointerToQObject) {
            if (value.kind != TFormValue::Ident)
                PropError(obj, path, line, QStringLiteral("Invalid property value"));
            auto* target = dynamic_cast<TComponent*>(obj);
            if (!target)
                PropError(obj, path, line, QStringLiteral("Invalid property value"));
            FFixups.push_back({target, head, value.s, line});
            return;
        }

        QVariant v;
        const TConvert converted = Convert(p, value, v);
        if (converted == TConvert::OutOfRange)
            PropError(obj, path, line, QStringLiteral("Value %1 out of range").arg(value.Describe()));
        if (converted != TConvert::Ok || !p.write(obj, v))
            PropError(obj, path, line, QStringLiteral("Invalid property value %1").arg(value.Describe()));
    }

    static TPersistent* SubObject(QObject* obj, const QMetaProperty& p)
    {
        const QVariant v = p.read(obj);
        for (const auto& [type, extract] : PointerTypes())
            if (v.metaType() == type)
                return extract(v);
        return nullptr;
    }

    void ReadCollection(TComponent* component, TCollection* coll, const TFormValue& value, int line)
    {
        coll->BeginUpdate();
        coll->Clear();
        for (const auto& item : value.items) {
            TCollectionItem* it = coll->Add();
            for (const auto& [prop, v] : item)
                ApplyProp(component, it, prop, v, line);
        }
        coll->EndUpdate();
    }

    enum class TConvert { Ok, Invalid, OutOfRange };

    // The integer type of a property, or bits 0 when it is not an integer.
    static IntType IntTypeOf(int id)
    {
        switch (id) {
        case QMetaType::Int: return {32, true};
        case QMetaType::UInt: return {32, false};
        case QMetaType::LongLong: return {64, true};
        case QMetaType::ULongLong: return {64, false};
        case QMetaType::Long: return {int(sizeof(long)) * 8, true};
        case QMetaType::ULong: return {int(sizeof(long)) * 8, false};
        case QMetaType::Short: return {16, true};
        case QMetaType::UShort: return {16, false};
        case QMetaType::Char: return {8, std::is_signed_v<char>};
        case QMetaType::SChar: return {8, true};
        case QMetaType::UChar: return {8, false};
        default: return {0, false};
        }
    }

    // n (already fitted to the type) as a variant of exactly the property's type.
    static QVariant IntVariant(int id, int64_t n)
    {
        switch (id) {
        case QMetaType::Int: return QVariant::fromValue(int(n));
        case QMetaType::UInt: return QVariant::fromValue(uint(n));
        case QMetaType::LongLong: return QVariant::fromValue(qlonglong(n));
        case QMetaType::ULongLong: return QVariant::fromValue(qulonglong(n));
        case QMetaType::Long: return QVariant::fromValue(long(n));
        case QMetaType::ULong: return QVariant::fromValue(ulong(n));
        case QMetaType::Short: return QVariant::fromValue(short(n));
        case QMetaType::UShort: return QVariant::fromValue(ushort(n));
        case QMetaType::Char: return QVariant::fromValue(char(n));
        case QMetaType::SChar: return QVariant::fromValue(static_cast<signed char>(n));
        case QMetaType::UChar: return QVariant::fromValue(uchar(n));
        default: return QVariant();
        }
    }

    static TConvert Convert(const QMetaProperty& p, const TFormValue& value, QVariant& out)
    {
        if (p.isEnumType()) {
            const QMetaEnum e = p.enumerator();
            if (value.kind == TFormValue::Ident) {
                bool ok = false;
                const int k = e.keyToValue(value.s.toLatin1().constData(), &ok);
                if (!ok)
                    return TConvert::Invalid;
                out = QVariant(k);
                return TConvert::Ok;
            }
            if (value.kind == TFormValue::Int) {
                // An ordinal must be one of the enumeration's values (or, for flags, made of them).
                int64_t n = 0;
                if (!FitInteger(value, value.i, {32, true}, n))
                    return TConvert::OutOfRange;
                if (e.isFlag()) {
                    uint known = 0;
                    for (int i = 0; i < e.keyCount(); ++i)
                        known |= uint(e.value(i));
                    if (uint(n) & ~known)
                        return TConvert::OutOfRange;
                } else if (!e.valueToKey(int(n))) {
                    return TConvert::OutOfRange;
                }
                out = QVariant(int(n));
                return TConvert::Ok;
            }
            return TConvert::Invalid;
        }
        const int id = p.metaType().id();
        if (const IntType t = IntTypeOf(id); t.bits) {
            int64_t n = 0;
            if (!IntValue(value, n))
                return TConvert::Invalid;
            int64_t fitted = 0;
            if (!FitInteger(value, n, t, fitted))
                return TConvert::OutOfRange;
            out = IntVariant(id, fitted);
            return TConvert::Ok;
        }
        switch (id) {
        case QMetaType::Bool:
            if (value.kind != TFormValue::Ident)
                return TConvert::Invalid;
            if (value.s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                out = true;
            else if (value.s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                out = false;
            else
                return TConvert::Invalid;
            return TConvert::Ok;
        case QMetaType::Double:
        case QMetaType::Float: {
            double d = 0;
            if (value.kind == TFormValue::Float)
                d = value.f;
            else if (value.kind == TFormValue::Int)
                d = value.hex ? double(uint64_t(value.i)) : double(value.i);
            else
                return TConvert::Invalid;
            if (!std::isfinite(d) || (id == QMetaType::Float && std::fabs(d) > double(std::numeric_limits<float>::max())))
                return TConvert::OutOfRange;
            out = id == QMetaType::Float ? QVariant::fromValue(float(d)) : QVariant(d);
            return TConvert::Ok;
        }
        case QMetaType::QString:
            if (value.kind == TFormValue::Str)
                out = value.s;
            else if (value.kind == TFormValue::Ident)
                out = value.s;
            else if (value.kind == TFormValue::Int)
                out = QString::number(value.i);
            else
                return TConvert::Invalid;
            return TConvert::Ok;
        default:
            return TConvert::Invalid;
        }
    }

    static bool IntValue(const TFormValue& value, int64_t& n)
    {
        switch (value.kind) {
        case TFormValue::Int:
            n = value.i;
            return true;
        case TFormValue::Ident: {
            TColor c = 0;
            if (IdentToColor(value.s, c)) {
                n = c;
                return true;
            }
            return LookupIdent(value.s, n);
        }
        case TFormValue::Set:
            n = 0;
            for (const QString& s : value.set) {
                int64_t bit = 0;
                if (!LookupIdent(s, bit))
                    return false;
                n |= bit;
            }
            return true;
        default:
            return false;
        }
    }

    void ResolveFixups()
    {
        for (const Fixup& f : FFixups) {
            TComponent* target = nullptr;
            if (f.target.compare(QLatin1String("nil"), Qt::CaseInsensitive) != 0) {
                target = f.target.compare(FRoot->Name(), Qt::CaseInsensitive) == 0 ? FRoot : FRoot->FindComponent(f.target);
                if (!target)
                    ReadError(FSource, f.line, QStringLiteral("%1.%2: Component %3 not found")
                                                   .arg(f.component->Name(), f.prop, f.target));
            }
            if (!f.component->SetComponentProp(f.prop, target))
                ReadError(FSource, f.line,
                          QStringLiteral("%1.%2: Invalid property value %3").arg(f.component->Name(), f.prop, f.target));
        }
    }

    TComponent* FRoot;
    QString FSource;
    std::vector<TComponent*> FLoaded;
    std::vector<Fixup> FFixups;
};

// Built-in readers for the framework's nested objects.
void RegisterBuiltInReaders()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterPersistentPointer<TFont>();
    RegisterPersistentPointer<TSizeConstraints>();
    RegisterPersistentPointer<TStrings>();
    RegisterPersistentPointer<TCollection>();
    RegisterPersistentPointer<TPicture>();
    RegisterPersistentPointer<TBitmap>();

    auto intOf = [](const TFormValue& v, int64_t& n) {
        if (v.kind == TFormValue::Int) {
            n = v.i;
            return true;
        }
        if (v.kind == TFormValue::Ident) {
            TColor c = 0;
            if (IdentToColor(v.s, c)) {
                n = c;
                return true;
            }
            return LookupIdent(v.s, n);
        }
        return false;
    };

    RegisterPersistentPropReader([](TPersistent* p) { return dynamic_cast<TFont*>(p) != nullptr; },
                                 [intOf](TPersistent* p, const QString& prop, const TFormValue& v) {
                                     auto* f = static_cast<TFont*>(p);
                                     int64_t n = 0;
                                     if (prop.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0 &&
                                         v.kind == TFormValue::Str) {
                                         f->SetName(v.s);
                                         return true;
                                     }
                                     if (prop.compare(QLatin1String("Style"), Qt::CaseInsensitive) == 0 &&
                                         v.kind == TFormValue::Set) {
                                         TFontStyles s = 0;
                                         for (const QString& e : v.set) {
                                             int64_t bit = 0;
                                             if (!LookupIdent(e, bit))
                                                 throw EReadError(QStringLiteral("Invalid font style %1").arg(e));
                                             s |= TFontStyles(bit);
                                         }
                                         f->SetStyle(s);
                                         return true;
                                     }
                                     if (!intOf(v, n))
                                         return false;
                                     if (prop.compare(QLatin1String("Height"), Qt::CaseInsensitive) == 0)
                                         f->SetHeight(FitInt32(v, n));
                                     else if (prop.compare(QLatin1String("Size"), Qt::CaseInsensitive) == 0)
                                         f->SetSize(FitInt32(v, n));
                                     else if (prop.compare(QLatin1String("Color"), Qt::CaseInsensitive) == 0)
                                         f->SetColor(TColor(FitInt32(v, n)));
                                     else if (prop.compare(QLatin1String("Charset"), Qt::CaseInsensitive) == 0)
                                         f->SetCharset(FitBetween(v, n, 0, 255));
                                     else if (prop.compare(QLatin1String("Pitch"), Qt::CaseInsensitive) == 0)
                                         f->SetPitch(TFontPitch(FitBetween(v, n, fpDefault, fpFixed)));
                                     else
                                         return false;
                                     return true;
                                 });
    RegisterPersistentPropReader([](TPersistent* p) { return dynamic_cast<TSizeConstraints*>(p) != nullptr; },
                                 [](TPersistent* p, const QString& prop, const TFormValue& v) {
                                     auto* c = static_cast<TSizeConstraints*>(p);
                                     if (v.kind != TFormValue::Int)
                                         return false;
                                     const int n = FitInt32(v, v.i);
                                     if (prop == QLatin1String("MinWidth"))
                                         c->SetMinWidth(n);
                                     else if (prop == QLatin1String("MinHeight"))
                                         c->SetMinHeight(n);
                                     else if (prop == QLatin1String("MaxWidth"))
                                         c->SetMaxWidth(n);
                                     else if (prop == QLatin1String("MaxHeight"))
                                         c->SetMaxHeight(n);
                                     else
                                         return false;
                                     return true;
                                 });
    RegisterPersistentPropReader([](TPersistent* p) { return dynamic_cast<TStrings*>(p) != nullptr; },
                                 [](TPersistent* p, const QString& prop, const TFormValue& v) {
                                     auto* s = static_cast<TStrings*>(p);
                                     if (prop.compare(QLatin1String("Strings"), Qt::CaseInsensitive) != 0 ||
                                         v.kind != TFormValue::List)
                                         return false;
                                     s->BeginUpdate();
                                     s->Clear();
                                     for (const TFormValue& line : v.list) {
                                         if (line.kind != TFormValue::Str)
                                             throw EReadError(QStringLiteral("String expected"));
                                         s->Add(line.s);
                                     }
                                     s->EndUpdate();
                                     return true;
                                 });
    RegisterPersistentPropReader([](TPersistent* p) { return dynamic_cast<TPicture*>(p) != nullptr; },
                                 [](TPersistent* p, const QString& prop, const TFormValue& v) {
                                     if (prop.compare(QLatin1String("Data"), Qt::CaseInsensitive) != 0 ||
                                         v.kind != TFormValue::Binary)
                                         return false;
                                     TMemoryStream ms;
                                     ms.WriteBuffer(v.bin.constData(), v.bin.size());
                                     ms.SetPosition(0);
                                     static_cast<TPicture*>(p)->LoadFromStream(&ms);
                                     return true;
                                 });
    RegisterPersistentPropReader([](TPersistent* p) { return dynamic_cast<TBitmap*>(p) != nullptr; },
                                 [](TPersistent* p, const QString& prop, const TFormValue& v) {
                                     if (prop.compare(QLatin1String("Data"), Qt::CaseInsensitive) != 0 ||
                                         v.kind != TFormValue::Binary)
                                         return false;
                                     static_cast<TBitmap*>(p)->LoadFromMemory(v.bin.constData(), size_t(v.bin.size()));
                                     return true;
                                 });
}

}  // namespace

QString TFormValue::Describe() const
{
    switch (kind) {
    case Int: return hex ? QLatin1Char('$') + QString::number(quint64(i), 16).toUpper() : QString::number(i);
    case Float: return QString::number(f);
    case Str: return QLatin1Char('\'') + s + QLatin1Char('\'');
    case Ident: return s;
    case Set: return QLatin1Char('[') + set.join(QLatin1String(", ")) + QLatin1Char(']');
    case List: return QStringLiteral("(...)");
    case Collection: return QStringLiteral("<...>");
    case Binary: return QStringLiteral("{...}");
    }
    return QString();
}

void RegisterPersistentPropReader(std::function<bool(TPersistent*)> Accepts, TPersistentPropReader Reader)
{
    PropReaders().push_back({std::move(Accepts), std::move(Reader)});
}

void RegisterPersistentPointerType(QMetaType type, std::function<TPersistent*(const QVariant&)> extract)
{
    PointerTypes().emplace_back(type, std::move(extract));
}

void ReadComponentText(TComponent* Root, const QByteArray& Text, const String& SourceName)
{
    RegisterBuiltInReaders();
    Lexer lex(Text, SourceName);
    Parser parser(lex);
    ObjectNode node = parser.ParseObject();
    if (!parser.AtEnd())
        ReadError(SourceName, lex.Line(), QStringLiteral("Text after the root object's end"));
    Applier(Root, SourceName).ApplyRoot(node);
}

void ReadComponentResource(TComponent* Root, const String& ResourceName)
{
    QFile f(ResourceName);
    if (!f.open(QIODevice::ReadOnly))
        throw EResNotFound(QStringLiteral("Resource %1 not found").arg(ResourceName));
    ReadComponentText(Root, f.readAll(), ResourceName);
}
