// String lists: the abstract TStrings (lines with optional objects, name=value access, text forms,
// files and streams) and TStringList, the concrete list with sorting, duplicates and change events.
#pragma once

#include "framework/System.h"

#include <QList>
#include <functional>

class TStream;
class TStringList;

// The line break that Text puts between lines: the platform's, "\n". SetText accepts "\r\n", "\n"
// and "\r" alike, so text written by a CR-LF platform reads back unchanged.
inline const String sLineBreak = QStringLiteral("\n");

// An abstract list of strings with an object pointer per line. A descendant (a list control's
// items, TStringList) supplies storage through Count, Get, Insert, Delete, Clear and, when it keeps
// objects, GetObject/PutObject; everything else is built on those.
class TStrings : public TPersistent {
public:
    TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;
    ~TStrings() override = default;
    String ClassName() const override { return QStringLiteral("TStrings"); }

    // --- storage, supplied by descendants ---
    virtual int Count() const = 0;
    virtual String Get(int Index) const = 0;
    // Replaces line Index, keeping its object. Default: delete and re-insert.
    virtual void Put(int Index, const String& S);
    // The line's object; the default list keeps none (null).
    virtual TObject* GetObject(int Index) const;
    // Attaches an object; the default list keeps none and ignores it.
    virtual void PutObject(int Index, TObject* AObject);
    virtual void Insert(int Index, const String& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    // --- adding ---
    // Appends (a sorted list inserts at its place); returns the line's index.
    virtual int Add(const String& S);
    virtual int AddObject(const String& S, TObject* AObject);
    virtual void InsertObject(int Index, const String& S, TObject* AObject);
    void Append(const String& S) { Add(S); }
    // Adds every line and object of Strings.
    virtual void AddStrings(const TStrings* Strings);

    // --- moving ---
    virtual void Move(int CurIndex, int NewIndex);
    virtual void Exchange(int Index1, int Index2);

    // --- lookup (compared through CompareStrings: without regard to case unless a descendant says so) ---
    virtual int IndexOf(const String& S) const;
    // The first line whose name (text before the first NameValueSeparator) equals Name; -1 when none.
    virtual int IndexOfName(const String& Name) const;
    int IndexOfObject(const TObject* AObject) const;

    // --- access ---
    String Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const String& S) { Put(Index, S); }
    // Read-only: returns a const copy, so "list[i] = s" does not compile (use SetStrings).
    const String operator[](int Index) const { return Get(Index); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

    // --- name=value lines ---
    String Names(int Index) const;
    String ValueFromIndex(int Index) const;
    void SetValueFromIndex(int Index, const String& Value);
    // The value of the first line named Name; empty when there is none.
    String Values(const String& Name) const;
    // Sets the value of the first line named Name, adding "Name=Value" when missing; an empty
    // Value deletes that line.
    void SetValue(const String& Name, const String& Value);
    QChar NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(QChar C) { FNameValueSeparator = C; }

    // --- text forms ---
    // Every line followed by LineBreak (so a non-empty list's text ends with a line break).
    virtual String Text() const;
    // Replaces the lines with those of Value, split at "\r\n", "\n" or "\r"; a final line break does
    // not make an extra empty line.
    virtual void SetText(const String& Value);
    String LineBreak() const { return FLineBreak; }
    void SetLineBreak(const String& Value) { FLineBreak = Value; }

    // Lines joined by Delimiter; lines holding the delimiter, the quote, a blank or a control
    // character are quoted (unless StrictDelimiter, which quotes only for the delimiter and quote).
    String DelimitedText() const;
    void SetDelimitedText(const String& Value);
    // DelimitedText with ',' and '"'.
    String CommaText() const;
    void SetCommaText(const String& Value);
    QChar Delimiter() const { return FDelimiter; }
    void SetDelimiter(QChar C) { FDelimiter = C; }
    QChar QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(QChar C) { FQuoteChar = C; }
    bool StrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool Value) { FStrictDelimiter = Value; }

    // --- updates ---
    // Nested; the first BeginUpdate and the last EndUpdate call SetUpdateState.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // --- copies and comparison ---
    void Assign(const TPersistent* Source) override;
    // Same count and the same lines, compared exactly; objects are not compared.
    bool Equals(const TStrings* Strings) const;

    // --- files and streams (UTF-8; a leading UTF-8 byte-order mark is skipped on input) ---
    virtual void LoadFromFile(const String& FileName);
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToFile(const String& FileName) const;
    virtual void SaveToStream(TStream* Stream) const;

    // Compares two strings as this list does; without regard to case by default.
    virtual int CompareStrings(const String& S1, const String& S2) const;

protected:
    // Called with true by the first BeginUpdate and with false by the last EndUpdate.
    virtual void SetUpdateState(bool Updating);
    [[noreturn]] static void Error(const String& Message, int Data);
    [[noreturn]] static void IndexError(int Index);

private:
    int FUpdateCount = 0;
    QChar FNameValueSeparator = QLatin1Char('=');
    QChar FDelimiter = QLatin1Char(',');
    QChar FQuoteChar = QLatin1Char('"');
    bool FStrictDelimiter = false;
    String FLineBreak = QStringLiteral("\n");
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Compares lines Index1 and Index2 of List: negative, zero or positive.
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

// A list of strings kept in memory, optionally sorted, with OnChanging/OnChange events.
class TStringList : public TStrings {
public:
    TStringList() = default;
    explicit TStringList(bool OwnsObjects) : FOwnsObjects(OwnsObjects) {}
    ~TStringList() override;
    String ClassName() const override { return QStringLiteral("TStringList"); }

    int Count() const override { return int(FList.size()); }
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const String& S) override;
    void InsertObject(int Index, const String& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    int Add(const String& S) override;
    int AddObject(const String& S, TObject* AObject) override;
    void AddStrings(const TStrings* Strings) override;
    void Move(int CurIndex, int NewIndex) override;
    void Exchange(int Index1, int Index2) override;
    int IndexOf(const String& S) const override;

    // Binary search of a sorted list: true when S is present; Index is its position (the first
    // match unless Duplicates is dupAccept) or where it would be inserted.
    virtual bool Find(const String& S, int& Index) const;
    virtual void Sort();
    // Sorts with Compare (stable); the list is not marked sorted.
    virtual void CustomSort(const TStringListSortCompare& Compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);
    // When set, the list deletes the objects of lines it deletes or clears, and on destruction.
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    int CompareStrings(const String& S1, const String& S2) const override;

protected:
    void SetUpdateState(bool Updating) override;
    virtual void Changed();
    virtual void Changing();
    void InsertItem(int Index, const String& S, TObject* AObject);

private:
    struct TStringItem {
        String FString;
        TObject* FObject = nullptr;
    };
    void CheckIndex(int Index) const;
    void SortWith(const std::function<int(int, int)>& Compare);

    QList<TStringItem> FList;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
};
