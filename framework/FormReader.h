// Stored form definitions: a text format of nested objects and their properties,
//
//   object Form1: TForm1
//     Caption = 'RQ_27M'
//     Font.Height = -11
//     OnCreate = FormCreate
//     object Button1: TButton
//       Items.Strings = ('a' 'b')
//       Panels = <item Width = 120 end>
//       Picture.Data = file 'img2.jpg'     (binary read from :/pictures/img2.jpg)
//       SkinData = {534B...}               (binary given inline in hex)
//     end
//   end
//
// read into a root component: components are created by registered class name, owned by the
// root and parented by the enclosing object; properties are set in stored order by name with
// csLoading set; event names are bound to the root's registered methods; component references
// are resolved at the end; then every component's Loaded runs, the root first.
#pragma once

#include "framework/Component.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <vector>

struct TFormProp;

struct TFormValue {
    enum Kind { Int, Float, Str, Ident, Set, List, Collection, Binary };
    Kind kind = Int;
    int64_t i = 0;
    bool hex = false;               // Int written in hexadecimal: i holds the bits
    double f = 0;
    QString s;                      // Str, Ident
    QStringList set;                // Set
    std::vector<TFormValue> list;   // List
    // Collection: one property list per item.
    std::vector<std::vector<TFormProp>> items;
    QByteArray bin;                 // Binary
    QString Describe() const;
};

// One stored property: its name (a path such as "Font.Height") and its value. A struct of its
// own rather than std::pair<QString, TFormValue>, which TFormValue would hold while still
// incomplete: clang with libstdc++ rejects that pair, whose constraints need the complete type.
struct TFormProp {
    QString name;
    TFormValue value;
};

// Decisions:
// - Objects, lists "( )" and collections "< >" nest at most FormReaderMaxNesting levels, the root
//   object being level 1; a deeper definition fails with an EReadError naming the line that opens
//   the level too many. Parsing and applying recurse once per level, so the limit bounds the stack
//   whatever the text holds; stored forms nest a handful of levels.
// - `file 'name'` reads ":/pictures/<name>" from the program's resources and nothing else: not the
//   working directory, not absolute paths, devices or FIFOs, and no name that leaves the folder.
// - Integers must fit the property they are stored in: a value outside the property's type
//   (int, unsigned, 8/16/64-bit, enumerations and their known values, font height, size, colour,
//   charset 0..255, pitch, constraints) is an error "out of range", never cut to fit. Decimal
//   numbers are taken in the type's own range; hexadecimal numbers ($FF00000F) give the type's
//   bits, so a signed 32-bit property accepts $00000000..$FFFFFFFF as two's complement, as the
//   framework's StrToInt reads them.
constexpr int FormReaderMaxNesting = 64;

// Reads the definition held in a resource (":/forms/X.dfm") or a file into Root.
void ReadComponentResource(TComponent* Root, const String& ResourceName);
// Reads definition text into Root; SourceName appears in error messages.
void ReadComponentText(TComponent* Root, const QByteArray& Text, const String& SourceName);

// Readers for properties of nested persistent objects ("Font.Height", "Items.Strings"): given the
// object (found through a published property) and the rest of the path, set the value; return
// false when the object has no such property. Units register readers for their own classes.
using TPersistentPropReader = std::function<bool(TPersistent* Obj, const QString& Prop, const TFormValue& Value)>;
void RegisterPersistentPropReader(std::function<bool(TPersistent*)> Accepts, TPersistentPropReader Reader);
// Published properties of pointer type T* that hold nested persistent objects must be registered
// so the reader can reach them.
void RegisterPersistentPointerType(QMetaType type, std::function<TPersistent*(const QVariant&)> extract);
template <class T>
void RegisterPersistentPointer()
{
    RegisterPersistentPointerType(QMetaType::fromType<T*>(),
                                  [](const QVariant& v) -> TPersistent* { return v.value<T*>(); });
}
