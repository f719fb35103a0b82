#include "framework/Strings.h"

#include "framework/Streams.h"
#include "framework/SysUtils.h"

#include <algorithm>
#include <numeric>

namespace {

const String SListIndexError = QStringLiteral("List index out of bounds (%1)");
const String SSortedListError = QStringLiteral("Operation not allowed on sorted list");
const String SDuplicateString = QStringLiteral("String list does not allow duplicates");

bool IsBlankOrControl(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// TStrings

void TStrings::Error(const String& Message, int Data)
{
    throw EListError(Message.contains(QLatin1String("%1")) ? Message.arg(Data) : Message);
}

void TStrings::IndexError(int Index) { Error(SListIndexError, Index); }

void TStrings::Put(int Index, const String& S)
{
    TObject* obj = GetObject(Index);
    BeginUpdate();
    try {
        Delete(Index);
        InsertObject(Index, S, obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const String& S)
{
    const int result = Count();
    Insert(result, S);
    return result;
}

int TStrings::AddObject(const String& S, TObject* AObject)
{
    const int result = Add(S);
    PutObject(result, AObject);
    return result;
}

void TStrings::InsertObject(int Index, const String& S, TObject* AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::AddStrings(const TStrings* Strings)
{
    if (!Strings)
        return;
    // Read the source count up front, so adding a list to itself doubles it once.
    const int n = Strings->Count();
    BeginUpdate();
    try {
        for (int i = 0; i < n; ++i)
            AddObject(Strings->Get(i), Strings->GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    if (NewIndex < 0 || NewIndex >= Count())
        IndexError(NewIndex);
    BeginUpdate();
    try {
        const String s = Get(CurIndex);
        TObject* obj = GetObject(CurIndex);
        PutObject(CurIndex, nullptr);
        Delete(CurIndex);
        InsertObject(NewIndex, s, obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Exchange(int Index1, int Index2)
{
    BeginUpdate();
    try {
        const String s1 = Get(Index1);
        const String s2 = Get(Index2);
        TObject* o1 = GetObject(Index1);
        TObject* o2 = GetObject(Index2);
        Put(Index1, s2);
        PutObject(Index1, o2);
        Put(Index2, s1);
        PutObject(Index2, o1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::CompareStrings(const String& S1, const String& S2) const
{
    return S1.compare(S2, Qt::CaseInsensitive);
}

int TStrings::IndexOf(const String& S) const
{
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (CompareStrings(Get(i), S) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const String& Name) const
{
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        const String s = Get(i);
        const int p = int(s.indexOf(FNameValueSeparator));
        if (p >= 0 && CompareStrings(s.left(p), Name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const
{
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (GetObject(i) == AObject)
            return i;
    return -1;
}

String TStrings::Names(int Index) const
{
    const String s = Get(Index);
    const int p = int(s.indexOf(FNameValueSeparator));
    return p >= 0 ? s.left(p) : String();
}

String TStrings::ValueFromIndex(int Index) const
{
    if (Index < 0)
        return String();
    const String s = Get(Index);
    const int p = int(s.indexOf(FNameValueSeparator));
    return p >= 0 ? s.mid(p + 1) : String();
}

void TStrings::SetValueFromIndex(int Index, const String& Value)
{
    if (!Value.isEmpty()) {
        if (Index < 0)
            Index = Add(String());
        Put(Index, Names(Index) + FNameValueSeparator + Value);
    } else if (Index >= 0) {
        Delete(Index);
    }
}

String TStrings::Values(const String& Name) const
{
    const int i = IndexOfName(Name);
    return i >= 0 ? ValueFromIndex(i) : String();
}

void TStrings::SetValue(const String& Name, const String& Value)
{
    int i = IndexOfName(Name);
    if (!Value.isEmpty()) {
        if (i < 0)
            i = Add(String());
        Put(i, Name + FNameValueSeparator + Value);
    } else if (i >= 0) {
        Delete(i);
    }
}

String TStrings::Text() const
{
    String result;
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        result += Get(i);
        result += FLineBreak;
    }
    return result;
}

void TStrings::SetText(const String& Value)
{
    BeginUpdate();
    try {
        Clear();
        const qsizetype len = Value.size();
        qsizetype p = 0;
        while (p < len) {
            const qsizetype start = p;
            while (p < len && Value[p] != QLatin1Char('\n') && Value[p] != QLatin1Char('\r'))
                ++p;
            Add(Value.mid(start, p - start));
            if (p < len && Value[p] == QLatin1Char('\r'))
                ++p;
            if (p < len && Value[p] == QLatin1Char('\n'))
                ++p;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

String TStrings::DelimitedText() const
{
    const int n = Count();
    if (n == 1 && Get(0).isEmpty())
        return String(2, FQuoteChar);
    String result;
    for (int i = 0; i < n; ++i) {
        String s = Get(i);
        bool quote = false;
        for (const QChar c : s) {
            if (c == FQuoteChar || c == FDelimiter || c.unicode() == 0 || (!FStrictDelimiter && IsBlankOrControl(c))) {
                quote = true;
                break;
            }
        }
        if (quote)
            s = AnsiQuotedStr(s, FQuoteChar);
        if (i > 0)
            result += FDelimiter;
        result += s;
    }
    return result;
}

void TStrings::SetDelimitedText(const String& Value)
{
    BeginUpdate();
    try {
        Clear();
        const int len = int(Value.size());
        int p = 0;
        auto skipBlanks = [&] {
            if (!FStrictDelimiter)
                while (p < len && IsBlankOrControl(Value[p]))
                    ++p;
        };
        skipBlanks();
        while (p < len) {
            String s;
            if (Value[p] == FQuoteChar) {
                s = AnsiExtractQuotedStr(Value, p, FQuoteChar);
            } else {
                const int start = p;
                while (p < len && Value[p] != FDelimiter && (FStrictDelimiter || !IsBlankOrControl(Value[p])))
                    ++p;
                s = Value.mid(start, p - start);
            }
            Add(s);
            skipBlanks();
            if (p < len && Value[p] == FDelimiter) {
                if (p + 1 == len)
                    Add(String());
                ++p;
                skipBlanks();
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

String TStrings::CommaText() const
{
    auto* self = const_cast<TStrings*>(this);
    const QChar d = FDelimiter, q = FQuoteChar;
    const bool strict = FStrictDelimiter;
    self->FDelimiter = QLatin1Char(',');
    self->FQuoteChar = QLatin1Char('"');
    self->FStrictDelimiter = false;
    String result;
    try {
        result = DelimitedText();
    } catch (...) {
        self->FDelimiter = d;
        self->FQuoteChar = q;
        self->FStrictDelimiter = strict;
        throw;
    }
    self->FDelimiter = d;
    self->FQuoteChar = q;
    self->FStrictDelimiter = strict;
    return result;
}

void TStrings::SetCommaText(const String& Value)
{
    const QChar d = FDelimiter, q = FQuoteChar;
    const bool strict = FStrictDelimiter;
    FDelimiter = QLatin1Char(',');
    FQuoteChar = QLatin1Char('"');
    FStrictDelimiter = false;
    try {
        SetDelimitedText(Value);
    } catch (...) {
        FDelimiter = d;
        FQuoteChar = q;
        FStrictDelimiter = strict;
        throw;
    }
    FDelimiter = d;
    FQuoteChar = q;
    FStrictDelimiter = strict;
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate()
{
    if (FUpdateCount <= 0)
        return;
    --FUpdateCount;
    if (FUpdateCount == 0)
        SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TStrings*>(Source)) {
        if (src == this)
            return;
        BeginUpdate();
        try {
            Clear();
            FNameValueSeparator = src->FNameValueSeparator;
            FDelimiter = src->FDelimiter;
            FQuoteChar = src->FQuoteChar;
            FStrictDelimiter = src->FStrictDelimiter;
            FLineBreak = src->FLineBreak;
            AddStrings(src);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

bool TStrings::Equals(const TStrings* Strings) const
{
    if (!Strings)
        return false;
    const int n = Count();
    if (n != Strings->Count())
        return false;
    for (int i = 0; i < n; ++i)
        if (Get(i) != Strings->Get(i))
            return false;
    return true;
}

void TStrings::LoadFromFile(const String& FileName)
{
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TStrings::LoadFromStream(TStream* Stream)
{
    if (!Stream)
        return;
    QByteArray bytes = Stream->ReadAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    SetText(String::fromUtf8(bytes));
}

void TStrings::SaveToFile(const String& FileName) const
{
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TStrings::SaveToStream(TStream* Stream) const
{
    if (Stream)
        Stream->WriteBytes(Text().toUtf8());
}

// ---------------------------------------------------------------------------------------------
// TStringList

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
    if (FOwnsObjects) {
        const QList<TStringItem> items = std::move(FList);
        FList.clear();
        for (const TStringItem& item : items)
            delete item.FObject;
    }
}

void TStringList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= FList.size())
        IndexError(Index);
}

String TStringList::Get(int Index) const
{
    CheckIndex(Index);
    return FList[Index].FString;
}

void TStringList::Put(int Index, const String& S)
{
    if (FSorted)
        Error(SSortedListError, 0);
    CheckIndex(Index);
    Changing();
    FList[Index].FString = S;
    Changed();
}

TObject* TStringList::GetObject(int Index) const
{
    CheckIndex(Index);
    return FList[Index].FObject;
}

void TStringList::PutObject(int Index, TObject* AObject)
{
    CheckIndex(Index);
    Changing();
    FList[Index].FObject = AObject;
    Changed();
}

void TStringList::Insert(int Index, const String& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const String& S, TObject* AObject)
{
    if (FSorted)
        Error(SSortedListError, 0);
    if (Index < 0 || Index > FList.size())
        IndexError(Index);
    InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const String& S, TObject* AObject)
{
    Changing();
    FList.insert(Index, TStringItem{S, AObject});
    Changed();
}

void TStringList::Delete(int Index)
{
    CheckIndex(Index);
    Changing();
    TObject* obj = FList[Index].FObject;
    FList.removeAt(Index);
    if (FOwnsObjects)
        delete obj;
    Changed();
}

void TStringList::Clear()
{
    if (FList.isEmpty())
        return;
    Changing();
    const QList<TStringItem> items = std::move(FList);
    FList.clear();
    if (FOwnsObjects)
        for (const TStringItem& item : items)
            delete item.FObject;
    Changed();
}

int TStringList::Add(const String& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const String& S, TObject* AObject)
{
    int result;
    if (!FSorted) {
        result = int(FList.size());
    } else if (Find(S, result)) {
        if (FDuplicates == dupIgnore)
            return result;
        if (FDuplicates == dupError)
            Error(SDuplicateString, 0);
    }
    InsertItem(result, S, AObject);
    return result;
}

void TStringList::AddStrings(const TStrings* Strings)
{
    TStrings::AddStrings(Strings);
}

void TStringList::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    // Checked before anything changes, so a refused move loses no line.
    if (FSorted)
        Error(SSortedListError, 0);
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    Changing();
    FList.move(CurIndex, NewIndex);
    Changed();
}

void TStringList::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    FList.swapItemsAt(Index1, Index2);
    Changed();
}

int TStringList::IndexOf(const String& S) const
{
    if (!FSorted)
        return TStrings::IndexOf(S);
    int index;
    return Find(S, index) ? index : -1;
}

bool TStringList::Find(const String& S, int& Index) const
{
    bool result = false;
    int l = 0;
    int h = int(FList.size()) - 1;
    while (l <= h) {
        const int i = l + (h - l) / 2;
        const int c = CompareStrings(FList[i].FString, S);
        if (c < 0) {
            l = i + 1;
        } else {
            h = i - 1;
            if (c == 0) {
                result = true;
                if (FDuplicates != dupAccept)
                    l = i;
            }
        }
    }
    Index = l;
    return result;
}

void TStringList::SortWith(const std::function<int(int, int)>& Compare)
{
    if (FList.size() < 2)
        return;
    Changing();
    std::vector<int> order(size_t(FList.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(a, b) < 0; });
    QList<TStringItem> sorted;
    sorted.reserve(FList.size());
    for (int i : order)
        sorted.append(FList[i]);
    FList = std::move(sorted);
    Changed();
}

void TStringList::Sort()
{
    SortWith([this](int a, int b) { return CompareStrings(FList[a].FString, FList[b].FString); });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare)
{
    if (!Compare || FSorted)
        return;
    // The comparer reads the list by index, so the list stays untouched until the order is known.
    SortWith([this, &Compare](int a, int b) { return Compare(this, a, b); });
}

void TStringList::SetSorted(bool Value)
{
    if (FSorted == Value)
        return;
    if (Value)
        Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value)
{
    if (FCaseSensitive == Value)
        return;
    FCaseSensitive = Value;
    if (FSorted)
        Sort();
}

int TStringList::CompareStrings(const String& S1, const String& S2) const
{
    return S1.compare(S2, FCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void TStringList::SetUpdateState(bool Updating)
{
    if (Updating)
        Changing();
    else
        Changed();
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}
