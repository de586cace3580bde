// The printout model: defaults, style look-up, setters, clearing and counting.
#include "document/LineDruk.h"
#include "support/WydWriter.h"

#include <gtest/gtest.h>

using namespace vek;
using vek::test::cp;

namespace {

TStyl& addLoaded(TMLineWydruk& doc, QByteArray name, QByteArray alias = {}) {
    auto s = std::make_unique<TStyl>(&doc);
    s->Name = std::move(name);
    s->Alias = std::move(alias);
    doc.Styles->Items.push_back(std::move(s));
    return *doc.Styles->Items.back();
}

void addLines(TLinie& group, int n) {
    for (int i = 0; i < n; ++i)
        group.Lines.push_back(std::make_unique<TLinia>(group.Owner, &group));
}

} // namespace

TEST(Model, NewDocumentHasOnlyTheDefaultStyle) {
    TMLineWydruk doc;
    ASSERT_EQ(doc.Styles->Count(), 1);
    const TStyl& d = doc.Styles->Default();
    EXPECT_EQ(d.Name, "Domyslny");
    EXPECT_EQ(d.FontName, "Courier New");
    EXPECT_EQ(d.Color, 0);
    EXPECT_EQ(d.FontStyle, 0);
    EXPECT_EQ(d.CharsPerLine, 132);
    EXPECT_FLOAT_EQ(d.CharHeight, 3.5f);
    EXPECT_FLOAT_EQ(d.CharWidth, 210.0f / 132.0f);
    EXPECT_EQ(doc.LinesPerPage, 84);
    EXPECT_EQ(doc.Page.size(), QSize(1429, 2000));
    EXPECT_EQ(doc.Root->Header.Parent, doc.Root.get());
}

TEST(Model, FindStyle) {
    TMLineWydruk doc;
    TStyl& def = doc.Styles->Default();
    EXPECT_EQ(&doc.Styles->FindStyle("nic"), &def);
    EXPECT_EQ(&doc.Styles->FindStyle(""), &def);
    EXPECT_EQ(&doc.Styles->FindStyle("Domyslny"), &def);

    TStyl& first = addLoaded(doc, cp(u"Żółw"), "Gad");
    TStyl& second = addLoaded(doc, cp(u"żółw"));
    TStyl& loadedDefault = addLoaded(doc, "Inny", "domyslny");
    EXPECT_EQ(&doc.Styles->FindStyle(cp(u"ŻÓŁW")), &first);
    EXPECT_EQ(&doc.Styles->FindStyle(cp(u"żółw")), &first);
    EXPECT_EQ(&doc.Styles->FindStyle("gAD"), &first);
    EXPECT_NE(&doc.Styles->FindStyle(cp(u"zolw")), &second);
    // A loaded style named or aliased like the default one wins over index 0.
    EXPECT_EQ(&doc.Styles->FindStyle("Domyslny"), &loadedDefault);
    EXPECT_TRUE(first.Matches(cp(u"ŻóŁw")));
    EXPECT_FALSE(first.Matches(cp(u"Zolw")));
}

TEST(Model, AddStyleReusesAMatchingStyle) {
    TMLineWydruk doc;
    TStyl& a = doc.Styles->AddStyle("Tabela", 0xFF, 66, 1, "Arial");
    EXPECT_EQ(doc.Styles->Count(), 2);
    EXPECT_FLOAT_EQ(a.CharHeight, 7.0f);
    EXPECT_FLOAT_EQ(a.CharWidth, 210.0f / 66.0f);
    EXPECT_EQ(a.FontName, "Arial");
    a.Alias = "T";
    TStyl& b = doc.Styles->AddStyle("t", 0, 132, 0, "Courier New");
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(doc.Styles->Count(), 2);
    EXPECT_EQ(b.Name, "t");
    EXPECT_FLOAT_EQ(b.CharHeight, 3.5f);
}

TEST(Model, SettersMarkChangesAndResetMetrics) {
    TMLineWydruk doc;
    TStyl& s = doc.Styles->AddStyle("S", 0, 132, 0, "Arial");
    s.Changed = false;
    s.TextHeight = 20;
    s.ZeroWidth = 9;
    s.SetColor(0);
    s.SetFontStyle(0);
    s.SetFontName("Arial");
    s.SetCharsPerLine(132, true);
    EXPECT_FALSE(s.Changed);
    EXPECT_EQ(s.TextHeight, 20);

    s.SetColor(5);
    EXPECT_TRUE(s.Changed);
    EXPECT_EQ(s.TextHeight, 20);
    s.SetFontName("arial");
    EXPECT_EQ(s.TextHeight, 0);
    EXPECT_EQ(s.ZeroWidth, 0);
    s.TextHeight = 20;
    s.SetFontStyle(3);
    EXPECT_EQ(s.TextHeight, 0);
    // Without recalculation the sizes stay.
    s.SetCharsPerLine(66, false);
    EXPECT_EQ(s.CharsPerLine, 66);
    EXPECT_FLOAT_EQ(s.CharHeight, 3.5f);
    // A zero count gives an infinite size, not a trap.
    s.SetCharsPerLine(0, true);
    EXPECT_TRUE(std::isinf(s.CharHeight));
}

TEST(Model, ChangedFlagsSkipTheDefaultStyle) {
    TMLineWydruk doc;
    EXPECT_FALSE(doc.Styles->AnyChanged()); // the default style is Changed but never counted
    doc.Styles->AddStyle("A", 0, 132, 0, "Arial");
    EXPECT_TRUE(doc.Styles->AnyChanged());
    doc.Styles->ClearChanged();
    EXPECT_FALSE(doc.Styles->AnyChanged());
    EXPECT_TRUE(doc.Styles->Default().Changed);
    doc.Styles->MarkAllChanged();
    EXPECT_TRUE(doc.Styles->AnyChanged());
}

TEST(Model, ClearKeepsTheSkeleton) {
    TMLineWydruk doc;
    addLoaded(doc, "A");
    addLines(doc.Root->Header, 2);
    doc.Root->Sections.push_back(std::make_unique<TMLine>(&doc));
    doc.Pages.push_back(makePage(TMetafile()));
    doc.LinesPerPage = 60;
    doc.Scale = 0.3f;
    TLinie* header = &doc.Root->Header;
    doc.Clear();
    EXPECT_EQ(doc.Styles->Count(), 1);
    EXPECT_EQ(doc.Styles->Default().Name, "Domyslny");
    EXPECT_EQ(doc.Root->Header.Count() + doc.Root->RepeatHeader.Count() + doc.Root->Spare.Count() +
                  doc.Root->Footer.Count(),
              0);
    EXPECT_TRUE(doc.Root->Sections.empty());
    EXPECT_TRUE(doc.Pages.empty());
    EXPECT_EQ(&doc.Root->Header, header);
    EXPECT_EQ(doc.LinesPerPage, 60);
    EXPECT_FLOAT_EQ(doc.Scale, 0.3f);
    EXPECT_EQ(doc.Page.size(), QSize(1429, 2000));
}

TEST(Model, LineCountCountsHeadersAndFooters) {
    TMLineWydruk doc;
    TMLine& root = *doc.Root;
    addLines(root.Header, 2);
    addLines(root.RepeatHeader, 3);
    addLines(root.Spare, 4);
    addLines(root.Footer, 1);
    auto child = std::make_unique<TMLine>(&doc);
    addLines(child->Header, 5);
    root.Sections.push_back(std::move(child));
    EXPECT_EQ(root.LineCount(), 8);
    EXPECT_EQ(doc.LineCount(), 8);
    // The count is cached until it is reset.
    addLines(root.Footer, 1);
    EXPECT_EQ(doc.LineCount(), 8);
    doc.LinesTotal = 0;
    EXPECT_EQ(doc.LineCount(), 9);
}

TEST(Model, ResetStatesReachesEverySection) {
    TMLineWydruk doc;
    auto child = std::make_unique<TMLine>(&doc);
    child->Sections.push_back(std::make_unique<TMLine>(&doc));
    child->Sections[0]->State = StateDone;
    child->State = StateSections;
    doc.Root->Sections.push_back(std::move(child));
    doc.Root->State = StateFooter;
    doc.Root->ResetStates();
    EXPECT_EQ(doc.Root->State, StateIdle);
    EXPECT_EQ(doc.Root->Sections[0]->State, StateIdle);
    EXPECT_EQ(doc.Root->Sections[0]->Sections[0]->State, StateIdle);
}

TEST(Model, FieldTextAndStyle) {
    TMLineWydruk doc;
    TPole f(&doc);
    EXPECT_EQ(f.StyleName, "Domyslny");
    f.Height = 40;
    f.SetText("abc");
    EXPECT_EQ(f.Height, 0);
    EXPECT_EQ(f.Text(), "abc");
    f.StyleName = "B";
    TStyl& def = f.GetStyl(); // no style "B" yet: the default
    EXPECT_EQ(&def, &doc.Styles->Default());
    addLoaded(doc, "B");
    EXPECT_EQ(&f.GetStyl(), &def); // cached for the field's life
}
