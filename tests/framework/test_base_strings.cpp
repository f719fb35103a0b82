// String lists: name=value lookup, sorting and duplicates, text forms, events, files.
#include "framework/Streams.h"
#include "framework/Strings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

QStringList Lines(const TStrings& list)
{
    QStringList r;
    for (int i = 0; i < list.Count(); ++i)
        r << list[i];
    return r;
}

TStringList* Make(std::initializer_list<const char*> lines, TStringList* list)
{
    for (const char* s : lines)
        list->Add(QString::fromUtf8(s));
    return list;
}

// Counts its own destructions, to check object ownership.
struct Tracked : TObject {
    explicit Tracked(int* counter) : Counter(counter) {}
    ~Tracked() override { ++*Counter; }
    int* Counter;
};

// A TStrings over a plain vector that supplies only the required operations, as a list
// control does: everything else must work through them.
class VectorStrings : public TStrings {
public:
    int Count() const override { return int(Items.size()); }
    String Get(int i) const override
    {
        if (i < 0 || i >= Count())
            throw EListError(QStringLiteral("bad index"));
        return Items[size_t(i)];
    }
    void Insert(int i, const String& s) override { Items.insert(Items.begin() + i, s); }
    void Delete(int i) override { Items.erase(Items.begin() + i); }
    void Clear() override { Items.clear(); }
    void SetUpdateState(bool updating) override { UpdateStates.push_back(updating); }
    std::vector<String> Items;
    std::vector<bool> UpdateStates;
};

}  // namespace

TEST(StringListNames, LookupIgnoresCaseAndFirstNameWins)
{
    TStringList list;
    Make({"Alpha=1", "beta=2", "BETA=3", "gamma", "=empty", "delta=x=y"}, &list);
    EXPECT_EQ(list.IndexOfName("ALPHA"), 0);
    EXPECT_EQ(list.IndexOfName("Beta"), 1);  // the first of two lines with the name
    EXPECT_EQ(list.Values("BETA"), "2");
    EXPECT_EQ(list.IndexOfName("gamma"), -1);  // no separator: not a name
    EXPECT_EQ(list.IndexOfName(""), 4);
    EXPECT_EQ(list.Values("delta"), "x=y");  // split at the first separator
    EXPECT_EQ(list.Names(5), "delta");
    EXPECT_EQ(list.ValueFromIndex(5), "x=y");
    EXPECT_EQ(list.Names(3), "");
    EXPECT_EQ(list.Values("missing"), "");
}

TEST(StringListNames, CaseSensitiveListMatchesExactly)
{
    TStringList list;
    list.SetCaseSensitive(true);
    Make({"Key=1", "key=2"}, &list);
    EXPECT_EQ(list.IndexOfName("key"), 1);
    EXPECT_EQ(list.IndexOfName("KEY"), -1);
    EXPECT_EQ(list.IndexOf("KEY=1"), -1);
}

TEST(StringListNames, SetValueAddsReplacesAndDeletes)
{
    TStringList list;
    Make({"a=1", "B=2", "c=3"}, &list);
    list.SetValue("b", "20");
    EXPECT_EQ(Lines(list), (QStringList{"a=1", "b=20", "c=3"}));  // the line takes the given name
    list.SetValue("d", "4");
    EXPECT_EQ(list[3], "d=4");
    list.SetValue("A", "");
    EXPECT_EQ(Lines(list), (QStringList{"b=20", "c=3", "d=4"}));
    list.SetValue("zzz", "");  // deleting a missing name changes nothing
    EXPECT_EQ(list.Count(), 3);
    list.SetValueFromIndex(0, "21");
    EXPECT_EQ(list[0], "b=21");
}

TEST(StringListSorted, FindAndInsertPositions)
{
    TStringList list;
    Make({"pear", "Apple", "fig", "banana"}, &list);
    list.SetSorted(true);
    EXPECT_EQ(Lines(list), (QStringList{"Apple", "banana", "fig", "pear"}));
    int index = -1;
    EXPECT_TRUE(list.Find("FIG", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find("cherry", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find("zucchini", index));
    EXPECT_EQ(index, 4);
    EXPECT_EQ(list.Add("cherry"), 2);
    EXPECT_EQ(list.IndexOf("CHERRY"), 2);
    EXPECT_THROW(list.Insert(0, "x"), EListError);
    EXPECT_THROW(list.SetStrings(0, "x"), EListError);
    EXPECT_THROW(list.Move(0, 1), EListError);
    EXPECT_EQ(list.Count(), 5);  // the refused move lost nothing
}

TEST(StringListSorted, Duplicates)
{
    struct Case {
        TDuplicates mode;
        int expectedCount;
        bool throws;
    };
    for (const Case& c : {Case{dupIgnore, 2, false}, Case{dupAccept, 3, false}, Case{dupError, 2, true}}) {
        SCOPED_TRACE(int(c.mode));
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(c.mode);
        list.Add("one");
        list.Add("two");
        if (c.throws) {
            try {
                list.Add("ONE");
                FAIL() << "no exception";
            } catch (const EListError& e) {
                EXPECT_EQ(e.Message(), "String list does not allow duplicates");
            }
        } else {
            const int i = list.Add("ONE");
            EXPECT_EQ(list.IndexOf("one"), 0);
            EXPECT_EQ(i, 0);
        }
        EXPECT_EQ(list.Count(), c.expectedCount);
    }
    // An unsorted list accepts duplicates whatever the setting.
    TStringList plain;
    plain.SetDuplicates(dupError);
    plain.Add("x");
    EXPECT_NO_THROW(plain.Add("x"));
    EXPECT_EQ(plain.Count(), 2);
}

TEST(StringListSorted, CaseSensitivityResortsAndCustomSort)
{
    TStringList list;
    Make({"b", "B", "a", "A"}, &list);
    list.SetSorted(true);
    EXPECT_EQ(list.IndexOf("b"), 2);
    list.SetCaseSensitive(true);
    EXPECT_EQ(Lines(list), (QStringList{"A", "B", "a", "b"}));

    TStringList nums;
    Make({"10", "9", "100", "1"}, &nums);
    nums.CustomSort([](TStringList* l, int a, int b) { return l->Strings(a).toInt() - l->Strings(b).toInt(); });
    EXPECT_EQ(Lines(nums), (QStringList{"1", "9", "10", "100"}));
    EXPECT_FALSE(nums.Sorted());
}

TEST(StringListIndexes, OutOfBoundsRaisesListError)
{
    TStringList list;
    Make({"a", "b"}, &list);
    struct Op {
        const char* name;
        std::function<void()> run;
        int index;
    };
    const std::vector<Op> ops = {
        {"Get", [&] { (void)list[2]; }, 2},
        {"GetNegative", [&] { (void)list.Strings(-1); }, -1},
        {"Objects", [&] { (void)list.Objects(5); }, 5},
        {"Put", [&] { list.SetStrings(2, "x"); }, 2},
        {"Delete", [&] { list.Delete(2); }, 2},
        {"Insert", [&] { list.Insert(3, "x"); }, 3},
        {"Exchange", [&] { list.Exchange(0, 7); }, 7},
        {"Move", [&] { list.Move(0, 2); }, 2},
    };
    for (const Op& op : ops) {
        SCOPED_TRACE(op.name);
        try {
            op.run();
            ADD_FAILURE() << "no exception";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("List index out of bounds (%1)").arg(op.index));
        }
    }
    EXPECT_EQ(Lines(list), (QStringList{"a", "b"}));
    list.Insert(2, "c");  // inserting at the end is allowed
    EXPECT_EQ(list[2], "c");
}

TEST(StringListEdit, MoveExchangeAndObjects)
{
    int destroyed = 0;
    TStringList list(true);
    list.AddObject("a", new Tracked(&destroyed));
    list.AddObject("b", new Tracked(&destroyed));
    list.AddObject("c", new Tracked(&destroyed));
    TObject* objA = list.Objects(0);
    list.Move(0, 2);
    EXPECT_EQ(Lines(list), (QStringList{"b", "c", "a"}));
    EXPECT_EQ(list.Objects(2), objA);
    EXPECT_EQ(destroyed, 0);  // a move does not free the object
    list.Exchange(0, 2);
    EXPECT_EQ(Lines(list), (QStringList{"a", "c", "b"}));
    EXPECT_EQ(list.IndexOfObject(objA), 0);
    list.Delete(0);
    EXPECT_EQ(destroyed, 1);
    list.Clear();
    EXPECT_EQ(destroyed, 3);

    int kept = 0;
    auto keeper = std::make_unique<Tracked>(&kept);
    {
        TStringList notOwning;
        notOwning.AddObject("x", keeper.get());
    }
    EXPECT_EQ(kept, 0);
}

TEST(StringListText, LineBreaksInAndOut)
{
    struct Case {
        const char* in;
        QStringList lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\n", {""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\r", {"a", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        TStringList list;
        list.SetText(QString::fromUtf8(c.in));
        EXPECT_EQ(Lines(list), c.lines);
    }
    TStringList list;
    Make({"one", "", "three"}, &list);
    EXPECT_EQ(list.Text(), "one\n\nthree\n");
    list.SetLineBreak("\r\n");
    EXPECT_EQ(list.Text(), "one\r\n\r\nthree\r\n");
}

TEST(StringListText, CommaAndDelimitedText)
{
    struct Case {
        QStringList lines;
        const char* comma;
    };
    const Case cases[] = {
        {{"a", "b", "c"}, "a,b,c"},
        {{"a b", "c"}, "\"a b\",c"},
        {{"say \"hi\"", "x"}, "\"say \"\"hi\"\"\",x"},
        {{"a,b"}, "\"a,b\""},
        {{""}, "\"\""},
        {{"a", ""}, "a,"},
        {{"a", "", "b"}, "a,,b"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.comma);
        TStringList list;
        for (const QString& s : c.lines)
            list.Add(s);
        EXPECT_EQ(list.CommaText(), QString::fromUtf8(c.comma));
        TStringList back;
        back.SetCommaText(QString::fromUtf8(c.comma));
        if (c.lines == QStringList{""})
            EXPECT_EQ(Lines(back), QStringList{""});
        else
            EXPECT_EQ(Lines(back), c.lines);
    }
    // Without strict delimiting, blanks separate too; an unterminated quote runs to the end.
    TStringList list;
    list.SetCommaText(" a b , \"c d\" ,\"open");
    EXPECT_EQ(Lines(list), (QStringList{"a", "b", "c d", "open"}));

    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    list.SetStrictDelimiter(true);
    list.SetDelimitedText("x y;'p;q';z");
    EXPECT_EQ(Lines(list), (QStringList{"x y", "p;q", "z"}));
    EXPECT_EQ(list.DelimitedText(), "x y;'p;q';z");
    EXPECT_EQ(list.CommaText(), "\"x y\",p;q,z");
    EXPECT_EQ(list.Delimiter(), QChar(';'));  // CommaText leaves the settings as they were
}

TEST(StringListEvents, ChangeEventsAndNestedUpdates)
{
    TStringList list;
    int changing = 0, changed = 0;
    list.OnChanging = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changing;
    };
    list.OnChange = [&](TObject*) { ++changed; };
    list.Add("a");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Add("c");
    list.EndUpdate();
    EXPECT_EQ(changed, 1);  // still inside the outer update
    list.EndUpdate();
    EXPECT_EQ(changing, 2);
    EXPECT_EQ(changed, 2);
    list.SetText("x\ny\nz");  // one change for the whole text
    EXPECT_EQ(changed, 3);
    list.EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(StringListAssign, AssignEqualsAndAddStrings)
{
    TStringList a, b;
    int obj = 0;
    Tracked tracked(&obj);
    Make({"x=1", "y=2"}, &a);
    a.PutObject(1, &tracked);
    b.Add("old");
    b.Assign(&a);
    EXPECT_TRUE(b.Equals(&a));
    EXPECT_EQ(b.Objects(1), &tracked);
    b.SetStrings(0, "X=1");
    EXPECT_FALSE(b.Equals(&a));  // exact comparison
    b.AddStrings(&b);            // adding a list to itself doubles it once
    EXPECT_EQ(b.Count(), 4);
    TPersistent other;
    EXPECT_THROW(b.Assign(&other), EConvertError);
}

TEST(StringsBase, MinimalDescendantGetsTheWholeInterface)
{
    VectorStrings v;
    v.Add("b=2");
    v.AddObject("a=1", nullptr);
    v.Insert(0, "c=3");
    EXPECT_EQ(v.IndexOf("A=1"), 2);
    EXPECT_EQ(v.Values("B"), "2");
    v.SetValue("b", "");
    EXPECT_EQ(v.Count(), 2);
    v.SetStrings(0, "z");  // default Put: delete and re-insert
    EXPECT_EQ(v.Items, (std::vector<String>{"z", "a=1"}));
    v.Move(0, 1);
    EXPECT_EQ(v.Items, (std::vector<String>{"a=1", "z"}));
    v.Exchange(0, 1);
    EXPECT_EQ(v.Items, (std::vector<String>{"z", "a=1"}));
    v.SetText("p\nq");
    EXPECT_EQ(v.Text(), "p\nq\n");
    EXPECT_EQ(v.Objects(0), nullptr);
    // Each outermost update reaches the descendant once, begin then end.
    v.UpdateStates.clear();
    v.BeginUpdate();
    v.BeginUpdate();
    v.EndUpdate();
    v.EndUpdate();
    EXPECT_EQ(v.UpdateStates, (std::vector<bool>{true, false}));
}

TEST(StringListFiles, SaveLoadUtf8AndBom)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("list.txt");
    TStringList list;
    Make({"Frequenz=433.92", "Grüße", "频率"}, &list);
    list.SaveToFile(path);
    TStringList back;
    back.LoadFromFile(path);
    EXPECT_TRUE(back.Equals(&list));

    // A byte-order mark and CR-LF line breaks, as another platform writes them.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF" "a=1\r\nb=2\r\n");
    }
    back.LoadFromFile(path);
    EXPECT_EQ(Lines(back), (QStringList{"a=1", "b=2"}));

    TMemoryStream mem;
    list.SaveToStream(&mem);
    mem.SetPosition(0);
    back.LoadFromStream(&mem);
    EXPECT_TRUE(back.Equals(&list));

    EXPECT_THROW(back.LoadFromFile(dir.filePath("missing.txt")), EFOpenError);
    EXPECT_TRUE(back.Equals(&list));  // a failed load leaves the list alone
}
