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
#include <utility>
#include <vector>

struct TFormValue {
    enum Kind { Int, Float, Str, Ident, Set, List, Collection, Binary };
    Kind kind = Int;
    int64_t i = 0;
    double f = 0;
    QString s;                      // Str, Ident
    QStringList set;                // Set
    std::vector<TFormValue> list;   // List
    // Collection: one property list per item.
    std::vector<std::vector<std::pair<QString, TFormValue>>> items;
    QByteArray bin;                 // Binary
    QString Describe() const;
};

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
