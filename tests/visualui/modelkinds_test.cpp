// Prepared model kinds on a small project: the options' profile value, the
// drops a kind takes, the project queries, the builders object by object,
// one undo per build, the options dialogs, drops delivered as the platform
// delivers a drag, and pictures of built models.

#include "common/dropdelivery.h"
#include "common/screenshots.h"
#include "document/docfixture.h"

#include "document/listnotifyinfo.h"
#include "foundation/dragobject.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "store/storedmodel.h"
#include "store/storeids.h"
#include "visual/modelbuilders.h"
#include "visual/modelercanvas.h"
#include "visual/modelkinds.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QtEndian>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

class FixedMeasurer : public ModelTextMeasurer {
public:
    QSizeF Measure(const QString& text, const QString&, float size) const override
    {
        return text.isEmpty() ? QSizeF() : QSizeF(double(text.size()) * size * 0.5, 1.2 * size);
    }
};

class KindOwner : public IModelerCanvasOwner {
public:
    void Request(NotifyHead& record) override
    {
        if (record.code == RequestCode::Drop) {
            const auto& drop = static_cast<const DropNotifyInfo&>(record);
            drops.append(QStringLiteral("drop(%1,%2,%3,%4,%5)")
                             .arg(drop.draggedKind)
                             .arg(drop.targetKind)
                             .arg(drop.targetId)
                             .arg(drop.modifierKeys)
                             .arg(drop.perform ? 1 : 0));
        }
    }
    QString ProjectIdentity() const override { return QStringLiteral("project-one"); }
    void RebuildMenuBar() override { ++rebuilds; }

    QStringList drops;
    int rebuilds = 0;
};

QString Reference(const char* name)
{
    return QStringLiteral(KORVAN_TEST_DATA_DIR "/visual/%1.png").arg(QLatin1String(name));
}

// d1: a ×1, b ×4, c ×8 (under "Topics"); d2: o ×4 with weights 10..40.
class ModelKinds : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        if (g_mapsOptions.FindIndex(MapsOption::SnapToGrid) < 0)
            BuildOptionDefinitions();
        savedSnap = g_mapsOptions.GetBool(MapsOption::SnapToGrid);
        savedLinks = g_mapsOptions.GetBool(MapsOption::LinkDocuments);
        g_mapsOptions.SetBool(MapsOption::SnapToGrid, false);
        g_mapsOptions.SetBool(MapsOption::LinkDocuments, false);
        SetTextMeasurer(&measurer);

        group = AddGroup(QStringLiteral("Interviews"));
        d1 = AddDocument(group, QStringLiteral("Anna"));
        d2 = AddDocument(group, QStringLiteral("Ben"));
        topics = AddCode(QStringLiteral("Topics"));
        a = AddCode(QStringLiteral("Alpha"), topics, 0xFF0000);
        b = AddCode(QStringLiteral("Beta"), topics);
        c = AddCode(QStringLiteral("Gamma"), topics);
        a1 = AddCode(QStringLiteral("Alpha one"), a);
        a2 = doctest::AddRow(db(), TopicId::Codes,
                             {{5, QStringLiteral("Alpha two")}, {CodeField::Parent, a}, {CodeField::State, ObjectState::Activated}});
        o = AddCode(QStringLiteral("Other"));
        AddCoding(d1, a, 0, 10);
        for (int i = 0; i < 4; ++i)
            AddCoding(d1, b, 20 + 10 * i, 25 + 10 * i);
        for (int i = 0; i < 8; ++i)
            AddCoding(d1, c, 100 + 10 * i, 105 + 10 * i);
        for (int i = 0; i < 4; ++i)
            others.append(AddCoding(d2, o, 10 * i, 10 * i + 5 + i,
                                    {{CodingField::Weight, 10 * (i + 1)}, {CodingField::Comment, QStringLiteral("seg %1").arg(i)}}));
        memoOfDocument = AddMemo({{MemoField::Document, d1}, {MemoField::Pos, -1}, {MemoField::Title, QStringLiteral("About Anna")}});

        canvas = std::make_unique<ModelerCanvas>();
        canvas->resize(900, 700);
        canvas->Attach(&db(), &owner, true, false);
        canvas->SetProject(&doc);
        canvas->Core().EditRecord().Name = QStringLiteral("Model");
        canvas->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(canvas.get()));
        ModelKindSettings::SetDialogRunner([this](ModelKindSettings& settings, qint32 kind, QWidget*) {
            dialogs.append(kind);
            beforeBuild = Objects().size();
            linksBeforeBuild = canvas->Core().Links().size();
            if (adjust)
                adjust(settings);
            return answerOk;
        });
    }
    void TearDown() override
    {
        ModelKindSettings::SetDialogRunner({});
        canvas.reset();
        SetTextMeasurer(nullptr);
        g_mapsOptions.SetBool(MapsOption::SnapToGrid, savedSnap);
        g_mapsOptions.SetBool(MapsOption::LinkDocuments, savedLinks);
        DocTest::TearDown();
    }

    std::vector<ModelObject>& Objects() { return canvas->Core().Objects(); }
    ModelKindSettings& Kind() { return canvas->KindSettings(); }
    const ModelObject* ObjectFor(qint32 topic, qint32 id)
    {
        const qint32 index = canvas->FindObjectIndex(canvas->FindObjectByRef(topic, id));
        return index >= 0 ? &Objects()[size_t(index)] : nullptr;
    }
    QPointF Centre(const ModelObject* object) { return {object->Rect.CentreX(), object->Rect.CentreY()}; }
    const ModelLink* LinkBetween(qint32 source, qint32 target)
    {
        for (const ModelLink& link : canvas->Core().Links())
            if (link.SourceId == source && link.TargetId == target)
                return &link;
        return nullptr;
    }
    /// Starts a kind and drops one project object through the canvas's drop.
    void BuildKind(qint32 kind, qint32 topic, qint32 id)
    {
        Kind().Begin(kind);
        ASSERT_TRUE(canvas->OnDrop(CDragObject(topic, id), QPoint(10, 10), 0));
    }
    bool Drop(const CDragObject& payload, QPoint at, Qt::KeyboardModifiers keys = {},
              const QString& identity = QStringLiteral("project-one"))
    {
        return testutil::DeliverDrag(canvas->viewport(), payload, identity, at, keys);
    }

    FixedMeasurer measurer;
    KindOwner owner;
    std::unique_ptr<ModelerCanvas> canvas;
    bool savedSnap = false;
    bool savedLinks = false;
    qint32 group = 0, d1 = 0, d2 = 0, topics = 0, a = 0, b = 0, c = 0, a1 = 0, a2 = 0, o = 0;
    qint32 memoOfDocument = 0;
    QList<qint32> others;
    QList<qint32> dialogs;
    size_t beforeBuild = 0;
    size_t linksBeforeBuild = 0;
    bool answerOk = true;
    std::function<void(ModelKindSettings&)> adjust;
};

}  // namespace

TEST(ModelKindProfile, ParsesAndFormatsTheFifteenOptions)
{
    struct Case {
        const char* text;
        const char* formatted;
    };
    const Case cases[] = {
        {"1|5|5|0", "1|5|5|0|5|0|0|0|0|0|0|1|1|0|100"},
        {"", "0|20|10|1|5|0|0|0|0|0|0|1|1|0|100"},
        {"1|30", "1|30|10|1|5|0|0|0|0|0|0|1|1|0|100"},
        {"7|x|12abc|-3", "1|0|12|1|5|0|0|0|0|0|0|1|1|0|100"},
        {"0|1|2|3|4|5|6|7|8|9|10|11|12|13|14|99|98", "0|1|2|1|4|5|1|1|1|9|10|11|12|13|14"},
    };
    for (const Case& test : cases) {
        ModelKindSettings settings;
        settings.MemoLimit = 77;  // parsing starts from the defaults
        settings.FromProfileString(QString::fromUtf8(test.text));
        EXPECT_EQ(settings.ToProfileString(), QString::fromUtf8(test.formatted)) << test.text;
    }
    ModelKindSettings settings;
    settings.FromProfileString(QStringLiteral("1|5|5|0"));
    EXPECT_TRUE(settings.IncludeMemos);
    EXPECT_EQ(settings.MemoLimit, 5);
    EXPECT_EQ(settings.CodeLimit, 5);
    EXPECT_FALSE(settings.IncludeSegments);
    EXPECT_EQ(settings.WeightCeiling, 100);
}

TEST(ModelBuilderGeometry, WidthsRadiiAndFans)
{
    EXPECT_EQ(ModelBuilder::LineWidth(1, 1, 8), 1);
    EXPECT_EQ(ModelBuilder::LineWidth(4, 1, 8), 3);  // 3.5 cut down
    EXPECT_EQ(ModelBuilder::LineWidth(8, 1, 8), 7);  // 7.5 cut down
    EXPECT_EQ(ModelBuilder::LineWidth(5, 5, 5), 1);  // no range: thinnest
    EXPECT_NEAR(ModelBuilder::RingRadius(300, 20, 150), 477.46, 0.01);
    EXPECT_EQ(ModelBuilder::RingRadius(500, 20, 150), 500);
    const QPointF right = ModelBuilder::RingPoint(100, 200, 50, 0);
    EXPECT_NEAR(right.x(), 175, 1e-9);
    EXPECT_NEAR(right.y(), 200, 1e-9);
    const QPointF up = ModelBuilder::RingPoint(100, 200, 50, kPi / 2);
    EXPECT_NEAR(up.x(), 100, 1e-9);
    EXPECT_NEAR(up.y(), 150, 1e-9);
    const double theta = 0.7;
    const QList<double> one = ModelBuilder::FanAngles(theta, 1);
    ASSERT_EQ(one.size(), 1);
    EXPECT_DOUBLE_EQ(one[0], theta);
    const QList<double> two = ModelBuilder::FanAngles(theta, 2);
    ASSERT_EQ(two.size(), 2);
    EXPECT_NEAR(two[0], theta - 3 * kPi / 16, 1e-6);
    EXPECT_NEAR(two[1], theta + 3 * kPi / 16, 1e-6);
    const QList<double> three = ModelBuilder::FanAngles(theta, 3);
    EXPECT_NEAR(three[0], theta - kPi / 4, 1e-6);
    EXPECT_NEAR(three[1], theta, 1e-6);
}

TEST_F(ModelKinds, CooccurrenceCountsHalfOpenRangesOnOnePageWithinTheWeights)
{
    const qint32 x = AddCode(QStringLiteral("x"));
    const qint32 touching = AddCode(QStringLiteral("touching"));
    const qint32 overlapping = AddCode(QStringLiteral("overlapping"));
    const qint32 otherPage = AddCode(QStringLiteral("other page"));
    const qint32 heavy = AddCode(QStringLiteral("heavy"));
    const qint32 inside = AddCode(QStringLiteral("inside"));
    const qint32 d3 = AddDocument(group, QStringLiteral("Carl"));
    AddCoding(d3, x, 10, 20, {{CodingField::Weight, 10}});
    AddCoding(d3, x, 50, 60, {{CodingField::Weight, 10}});
    AddCoding(d3, touching, 20, 30, {{CodingField::Weight, 10}});
    AddCoding(d3, overlapping, 19, 30, {{CodingField::Weight, 10}});
    AddCoding(d3, otherPage, 10, 20, {{CodingField::Weight, 10}, {CodingField::Page, 2}});
    AddCoding(d3, heavy, 10, 20, {{CodingField::Weight, 90}});
    AddCoding(d3, inside, 12, 14, {{CodingField::Weight, 10}});
    AddCoding(d3, inside, 0, 100, {{CodingField::Weight, 10}});  // spans both of x's
    QList<qint32> ids;
    doc.CollectCooccurringCodes(x, ids, 1, 0, 50);
    EXPECT_EQ(ids, (QList<qint32>{overlapping, inside}));
    ids.clear();
    doc.CollectCooccurringCodes(x, ids, 3, 0, 50);  // inside meets x three times
    EXPECT_EQ(ids, (QList<qint32>{inside}));
    ids.clear();
    doc.CollectCooccurringCodes(x, ids, 1, 0, 100);
    EXPECT_EQ(ids, (QList<qint32>{overlapping, heavy, inside}));
    ids.clear();
    doc.CollectCooccurringCodes(o, ids, 1, 0, 100);  // nothing else in d2
    EXPECT_TRUE(ids.isEmpty());
}

TEST_F(ModelKinds, SubcodesByDepthAndActivation)
{
    QList<qint32> ids;
    doc.CollectSubcodes(topics, ids, false, 1);
    EXPECT_EQ(ids, (QList<qint32>{a, b, c}));
    ids.clear();
    doc.CollectSubcodes(topics, ids, false, 0);
    EXPECT_EQ(ids, (QList<qint32>{a, a1, a2, b, c}));
    // Only activated ones are taken; the walk passes through Alpha.
    ASSERT_TRUE(doc.IsActivated(TopicId::Codes, a2));
    ids.clear();
    doc.CollectSubcodes(topics, ids, true, 2);
    EXPECT_EQ(ids, (QList<qint32>{a2}));
}

TEST_F(ModelKinds, DropsAKindRefuses)
{
    // Kind 1 takes one document and nothing else.
    Kind().Begin(ModelKind::DocumentModel);
    EXPECT_FALSE(canvas->AcceptsDrop(CDragObject(TopicId::Codes, a)));
    EXPECT_TRUE(canvas->AcceptsDrop(CDragObject(TopicId::Documents, d1)));
    Kind().DroppedObjectId = 5;
    EXPECT_FALSE(canvas->AcceptsDrop(CDragObject(TopicId::Documents, d2)));

    // Kind 3 refuses two ids at once.
    Kind().Begin(ModelKind::CodeSegmentModel);
    CDragObject two(TopicId::Codes, a);
    two.m_ids = {a, b};
    EXPECT_FALSE(canvas->AcceptsDrop(two));
    EXPECT_FALSE(canvas->OnDrop(two, QPoint(5, 5), 0));
    EXPECT_TRUE(dialogs.isEmpty());

    // Kind 5 refuses the same code twice; kinds 2 and 7 refuse everything.
    Kind().Begin(ModelKind::CooccurrenceModel);
    messages.AddAnswers({MessageAnswer::Yes});
    ASSERT_TRUE(canvas->OnDrop(CDragObject(TopicId::Codes, a), QPoint(5, 5), 0));
    EXPECT_EQ(Kind().DroppedIds.size(), 1);
    EXPECT_FALSE(canvas->AcceptsDrop(CDragObject(TopicId::Codes, a)));
    EXPECT_TRUE(canvas->AcceptsDrop(CDragObject(TopicId::Codes, b)));
    for (const qint32 kind : {ModelKind::TwoCaseModel, ModelKind::TitledModel}) {
        Kind().Begin(kind);
        EXPECT_FALSE(canvas->AcceptsDrop(CDragObject(TopicId::Codes, c))) << kind;
        EXPECT_FALSE(canvas->AcceptsDrop(CDragObject(TopicId::Documents, d1))) << kind;
    }
}

TEST_F(ModelKinds, DocumentRingObjectByObject)
{
    adjust = [](ModelKindSettings& settings) {
        settings.IncludeMemos = true;
        settings.CodeLimit = 10;
        settings.IncludeSegments = true;
        settings.SegmentLimit = 3;
    };
    BuildKind(ModelKind::DocumentModel, TopicId::Documents, d1);
    EXPECT_EQ(dialogs, (QList<qint32>{ModelKind::DocumentModel}));
    EXPECT_EQ(Kind().Kind, 0);
    const ModelObject* document = ObjectFor(TopicId::Documents, d1);
    ASSERT_TRUE(document);
    const ModelObject* title = &Objects()[0];
    EXPECT_EQ(title->Label, QStringLiteral("Model"));
    EXPECT_EQ(title->FontSize, 30);
    // Title, document, memo, three codes and 1 + 3 + 3 segments; no placeholder.
    EXPECT_EQ(Objects().size(), 13u);
    const ModelObject* memo = ObjectFor(TopicId::Memos, memoOfDocument);
    ASSERT_TRUE(memo);
    EXPECT_FLOAT_EQ(memo->Rect.x, title->Rect.CentreX() - 15);
    EXPECT_FLOAT_EQ(memo->Rect.y, title->Rect.y + 2.5f * title->Rect.height - 20);
    EXPECT_EQ(memo->WrapFactor, 2);

    // Largest count first from θ = 0; widths 7, 3 and 1 for 8, 4 and 1.
    const QPointF centre = Centre(document);
    const ModelObject* gamma = ObjectFor(TopicId::Codes, c);
    const ModelObject* beta = ObjectFor(TopicId::Codes, b);
    const ModelObject* alpha = ObjectFor(TopicId::Codes, a);
    ASSERT_TRUE(gamma && beta && alpha);
    const double r = (Centre(gamma).x() - centre.x()) / 1.5;
    EXPECT_NEAR(Centre(gamma).y(), centre.y(), 1e-3);
    // The ring's radius is the distance down from the title's top line
    // before the memo row pushed everything 70 lower.
    EXPECT_NEAR(r, centre.y() - 70 - (title->Rect.y + 2.5 * title->Rect.height + 100), 1e-3);
    for (const auto& [object, theta] : {std::pair{beta, 2 * kPi / 3}, std::pair{alpha, 4 * kPi / 3}}) {
        EXPECT_NEAR(Centre(object).x(), centre.x() + 1.5 * r * std::cos(theta), 1e-3) << object->Label.toStdString();
        EXPECT_NEAR(Centre(object).y(), centre.y() - r * std::sin(theta), 1e-3) << object->Label.toStdString();
    }
    for (const auto& [object, width] : {std::pair{gamma, 7}, std::pair{beta, 3}, std::pair{alpha, 1}}) {
        const ModelLink* link = LinkBetween(object->Id, document->Id);
        ASSERT_TRUE(link) << object->Label.toStdString();
        EXPECT_EQ(link->Width, width) << object->Label.toStdString();
    }
    // Alpha's one segment stands on its ring angle, 100 further out, with
    // the code's name for a label.
    const ModelObject* segment = nullptr;
    for (const ModelObject& object : Objects())
        if (object.RefTopic == TopicId::Codings && object.Label == QStringLiteral("Alpha"))
            segment = &object;
    ASSERT_TRUE(segment);
    EXPECT_NEAR(Centre(segment).x(), Centre(alpha).x() + 100 * std::cos(4 * kPi / 3), 1e-3);
    EXPECT_NEAR(Centre(segment).y(), Centre(alpha).y() - 100 * std::sin(4 * kPi / 3), 1e-3);
    EXPECT_TRUE(LinkBetween(segment->Id, alpha->Id));
    EXPECT_TRUE(testutil::MatchesReferenceImage(canvas.get(), Reference("kind1_document_model")));

    // One Undo takes the whole build back; the record keeps no more.
    EXPECT_TRUE(canvas->Core().Undo());
    EXPECT_EQ(Objects().size(), beforeBuild);
    EXPECT_EQ(canvas->Core().Links().size(), linksBeforeBuild);
    EXPECT_TRUE(ObjectFor(TopicId::Documents, d1));
    EXPECT_FALSE(ObjectFor(TopicId::Codes, c));
}

TEST_F(ModelKinds, SegmentRingStandsRightAboveLeftAndBelow)
{
    adjust = [](ModelKindSettings& settings) {
        settings.IncludeMemos = false;
        settings.IncludeSegments = true;
        settings.SegmentLimit = 5;
        settings.SegmentOrder = 0;
    };
    BuildKind(ModelKind::CodeSegmentModel, TopicId::Codes, o);
    const ModelObject* code = ObjectFor(TopicId::Codes, o);
    ASSERT_TRUE(code);
    const ModelObject& title = Objects()[0];
    const double r = Centre(code).y() - (title.Rect.y + 2.5 * title.Rect.height);
    // Heaviest first: weights 40, 30, 20, 10 at θ = 0, π/2, π, 3π/2.
    const QPointF expected[] = {{1.5 * r, 0}, {0, -r}, {-1.5 * r, 0}, {0, r}};
    for (int i = 0; i < 4; ++i) {
        const ModelObject* segment = ObjectFor(TopicId::Codings, others[3 - i]);
        ASSERT_TRUE(segment) << i;
        EXPECT_EQ(segment->Label, QStringLiteral("seg %1").arg(3 - i));
        EXPECT_NEAR(Centre(segment).x() - Centre(code).x(), expected[i].x(), 1e-3) << i;
        EXPECT_NEAR(Centre(segment).y() - Centre(code).y(), expected[i].y(), 1e-3) << i;
        EXPECT_TRUE(LinkBetween(segment->Id, code->Id)) << i;
    }
    EXPECT_EQ(Objects().size(), 6u);
    EXPECT_TRUE(testutil::MatchesReferenceImage(canvas.get(), Reference("kind3_segment_model")));
}

TEST_F(ModelKinds, SubcodeRingAndCodeTree)
{
    adjust = [](ModelKindSettings& settings) { settings.IncludeSegments = false; };
    BuildKind(ModelKind::SubcodeModel, TopicId::Codes, topics);
    const ModelObject* top = ObjectFor(TopicId::Codes, topics);
    ASSERT_TRUE(top);
    // Every subcode at any depth, most codings first, each linked to the top.
    const qint32 order[] = {c, b, a, a1, a2};
    const ModelObject* first = ObjectFor(TopicId::Codes, c);
    ASSERT_TRUE(first);
    const double r = (Centre(first).x() - Centre(top).x()) / 1.5;
    for (int i = 0; i < 5; ++i) {
        const ModelObject* sub = ObjectFor(TopicId::Codes, order[i]);
        ASSERT_TRUE(sub) << i;
        EXPECT_NEAR(Centre(sub).y(), Centre(top).y() - r * std::sin(i * 2 * kPi / 5), 1e-3) << i;
        EXPECT_TRUE(LinkBetween(sub->Id, top->Id)) << i;
    }
    EXPECT_TRUE(testutil::MatchesReferenceImage(canvas.get(), Reference("kind6_subcode_model")));

    // The code tree of two levels: Alpha (two children) first, its
    // children fanned around it; memos in a row, linked to their codes.
    canvas->Core().EditModel() = ModelContent();
    const qint32 attached = AddMemo({{MemoField::Code, a}, {MemoField::Pos, -1}, {MemoField::Title, QStringLiteral("On Alpha")}});
    QByteArray codewords(4, 0);
    qToLittleEndian<qint32>(b, codewords.data());
    const qint32 linked = AddMemo({{MemoField::Document, d2}, {MemoField::Title, QStringLiteral("Mentions Beta")},
                                   {MemoField::Codewords, codewords}});
    adjust = [](ModelKindSettings& settings) {
        settings.SubcodeLevels = 2;
        settings.IncludeMemos = true;
    };
    BuildKind(ModelKind::CodeTreeModel, TopicId::Codes, topics);
    top = ObjectFor(TopicId::Codes, topics);
    const ModelObject* alpha = ObjectFor(TopicId::Codes, a);
    ASSERT_TRUE(top && alpha);
    EXPECT_NEAR(Centre(alpha).y(), Centre(top).y(), 1e-3);  // θ = 0
    for (const qint32 child : {a1, a2}) {
        const ModelObject* sub = ObjectFor(TopicId::Codes, child);
        ASSERT_TRUE(sub);
        EXPECT_NEAR(std::hypot(Centre(sub).x() - Centre(alpha).x(), Centre(sub).y() - Centre(alpha).y()), 100, 1e-3);
        EXPECT_TRUE(LinkBetween(sub->Id, alpha->Id));
    }
    const ModelObject* onAlpha = ObjectFor(TopicId::Memos, attached);
    const ModelObject* onBeta = ObjectFor(TopicId::Memos, linked);
    ASSERT_TRUE(onAlpha && onBeta);
    EXPECT_EQ(onAlpha->Rect.y, onBeta->Rect.y);
    EXPECT_TRUE(LinkBetween(onAlpha->Id, alpha->Id));
    EXPECT_TRUE(LinkBetween(onBeta->Id, ObjectFor(TopicId::Codes, b)->Id));
    EXPECT_TRUE(testutil::MatchesReferenceImage(canvas.get(), Reference("kind4_code_tree_model")));
}

TEST_F(ModelKinds, CooccurrenceModelOfOneCode)
{
    AddCoding(d1, b, 5, 12);  // overlaps Alpha's [0, 10)
    Kind().Begin(ModelKind::CooccurrenceModel);
    const float cx = Kind().CentreX;
    const float cy = Kind().CentreY;
    const qint32 placeholder = Kind().PlaceholderObjectId;
    messages.AddAnswers({MessageAnswer::No});
    ASSERT_TRUE(canvas->OnDrop(CDragObject(TopicId::Codes, a), QPoint(5, 5), 0));
    EXPECT_EQ(dialogs, (QList<qint32>{ModelKind::CooccurrenceModel}));
    EXPECT_EQ(canvas->FindObjectIndex(placeholder), -1);
    const ModelObject* alpha = ObjectFor(TopicId::Codes, a);
    const ModelObject* beta = ObjectFor(TopicId::Codes, b);
    ASSERT_TRUE(alpha && beta);
    EXPECT_NEAR(Centre(alpha).x(), cx, 1e-3);
    EXPECT_NEAR(Centre(alpha).y(), cy, 1e-3);
    const ModelObject& title = Objects()[0];
    const double r = cy - (title.Rect.y + 2.5 * title.Rect.height + 100);
    EXPECT_NEAR(Centre(beta).x(), cx + 1.5 * (r + 100), 1e-3);
    EXPECT_NEAR(Centre(beta).y(), cy, 1e-3);
    EXPECT_TRUE(LinkBetween(beta->Id, alpha->Id));
    EXPECT_EQ(Objects().size(), 3u);
    EXPECT_TRUE(testutil::MatchesReferenceImage(canvas.get(), Reference("kind5_cooccurrence_model")));

    // Cancel ends the kind and takes the placeholder away too.
    answerOk = false;
    canvas->Core().EditModel() = ModelContent();
    Kind().Begin(ModelKind::CooccurrenceModel);
    messages.AddAnswers({MessageAnswer::No});
    ASSERT_TRUE(canvas->OnDrop(CDragObject(TopicId::Codes, c), QPoint(5, 5), 0));
    EXPECT_EQ(Kind().Kind, 0);
    EXPECT_EQ(Objects().size(), 2u);  // title and the dropped code
}

TEST_F(ModelKinds, SubcodeLevelListSkipsThreeAndKeepsIt)
{
    CModelKindDlg dialog(ModelKind::CooccurrenceModel, canvas.get());
    auto* levels = qobject_cast<QComboBox*>(dialog.Control(CModelKindDlg::kCodeComboId));
    ASSERT_TRUE(levels);
    EXPECT_EQ(levels->findText(QStringLiteral("3")), -1);
    ModelKindSettings settings;
    settings.SubcodeLevels = 3;
    settings.MinCooccurrence = 25;
    dialog.Fill(settings);
    EXPECT_EQ(levels->currentIndex(), -1);
    QTimer::singleShot(0, &dialog, [&dialog] {
        QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(1)), Qt::LeftButton);
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    settings.MinCooccurrence = 0;
    dialog.Read(settings);
    EXPECT_EQ(settings.SubcodeLevels, 3);
    EXPECT_EQ(settings.MinCooccurrence, 25);

    // Limits of 0 or less come back as 5 from the other dialogs.
    CModelKindDlg segments(ModelKind::CodeSegmentModel, canvas.get());
    ModelKindSettings other;
    other.SegmentLimit = 0;
    segments.Fill(other);
    qobject_cast<QComboBox*>(segments.Control(CModelKindDlg::kSegmentComboId))->setCurrentIndex(-1);
    segments.Read(other);
    EXPECT_EQ(other.SegmentLimit, 5);
}

TEST_F(ModelKinds, DragsOntoTheCanvas)
{
    // Three codes from a list while no kind is active: three objects.
    CDragObject three(TopicId::Codes, a);
    three.m_ids = {a, b, c};
    EXPECT_TRUE(Drop(three, QPoint(100, 100)));
    EXPECT_EQ(Objects().size(), 3u);
    EXPECT_TRUE(ObjectFor(TopicId::Codes, b));

    // A payload of another project is not even taken into the drag.
    EXPECT_FALSE(Drop(CDragObject(TopicId::Codes, o), QPoint(100, 100), {}, QStringLiteral("project-two")));
    EXPECT_FALSE(ObjectFor(TopicId::Codes, o));

    // A browser selection dropped with Ctrl on a code object asks the owner
    // to code it.
    const ModelObject* alpha = ObjectFor(TopicId::Codes, a);
    const QPointF at = canvas->Core().ModelToClient(alpha->Rect.CentreX(), alpha->Rect.CentreY());
    EXPECT_TRUE(Drop(CDragObject(15, 0), at.toPoint(), Qt::ControlModifier));
    EXPECT_EQ(owner.drops, (QStringList{QStringLiteral("drop(15,8,%1,2,1)").arg(a)}));
    EXPECT_EQ(Objects().size(), 3u);

    // With kind 3 a drag of two codes is refused; one code opens dialog
    // 3130 and OK builds.
    ModelKindSettings::SetDialogRunner({});
    canvas->Core().EditModel() = ModelContent();
    Kind().Begin(ModelKind::CodeSegmentModel);
    CDragObject two(TopicId::Codes, o);
    two.m_ids = {o, a};
    EXPECT_FALSE(Drop(two, QPoint(100, 100)));
    int shown = 0;
    QTimer::singleShot(0, canvas.get(), [&shown] {
        auto* dialog = qobject_cast<CModelKindDlg*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        shown = dialog->TemplateId();
        QTest::mouseClick(qobject_cast<QPushButton*>(dialog->Control(1)), Qt::LeftButton);
    });
    EXPECT_TRUE(Drop(CDragObject(TopicId::Codes, o), QPoint(100, 100)));
    EXPECT_EQ(shown, 3130);
    EXPECT_EQ(Kind().Kind, 0);
    EXPECT_TRUE(ObjectFor(TopicId::Codings, others[0]));
}

TEST_F(ModelKinds, DocumentObjectsLinkToTheirLinkedDocuments)
{
    g_mapsOptions.SetBool(MapsOption::LinkDocuments, true);
    const qint32 from = doctest::AddRow(db(), TopicId::Links, {{LinkField::Document, d1}, {LinkField::LinkID, 0}});
    const qint32 to = doctest::AddRow(db(), TopicId::Links, {{LinkField::Document, d2}, {LinkField::LinkID, from}});
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Links, from, row, false));
    FieldValue value;
    ASSERT_TRUE(row.GetFieldValue(LinkField::LinkID, value));
    value.SetInt(to);
    ASSERT_TRUE(row.WriteBack());
    QList<qint32> linked;
    doc.CollectLinkedDocuments(d1, linked);
    EXPECT_EQ(linked, (QList<qint32>{d2}));

    ASSERT_TRUE(canvas->OnDrop(CDragObject(TopicId::Documents, d2), QPoint(5, 5), 0));
    ASSERT_TRUE(canvas->OnDrop(CDragObject(TopicId::Documents, d1), QPoint(5, 5), 0));
    const ModelLink* link = LinkBetween(ObjectFor(TopicId::Documents, d1)->Id, ObjectFor(TopicId::Documents, d2)->Id);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->LineColor, 0xFF4040FFu);
}

TEST_F(ModelKinds, FourCodesCollectedBeforeTheCooccurrenceDialog)
{
    adjust = [](ModelKindSettings& settings) { settings.SubcodeLevels = 0; };
    Kind().Begin(ModelKind::CooccurrenceModel);
    const float cx = Kind().CentreX;
    const float cy = Kind().CentreY;
    messages.AddAnswers({MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::No});
    const qint32 codes[] = {a, b, c, o};
    for (const qint32 code : codes) {
        EXPECT_TRUE(dialogs.isEmpty());
        ASSERT_TRUE(canvas->OnDrop(CDragObject(TopicId::Codes, code), QPoint(5, 5), 0));
    }
    EXPECT_EQ(dialogs, (QList<qint32>{ModelKind::CooccurrenceModel}));
    // Nothing co-occurs: the dropped codes stand on a circle of 0.45 r.
    const ModelObject& title = Objects()[0];
    const double r = cy - (title.Rect.y + 2.5 * title.Rect.height + 100);
    for (int i = 0; i < 4; ++i) {
        const ModelObject* object = ObjectFor(TopicId::Codes, codes[i]);
        ASSERT_TRUE(object) << i;
        EXPECT_NEAR(Centre(object).x(), cx + 0.45 * r * std::cos(i * kPi / 2), 1e-3) << i;
        EXPECT_NEAR(Centre(object).y(), cy - 0.45 * r * std::sin(i * kPi / 2), 1e-3) << i;
    }
    EXPECT_EQ(Objects().size(), 5u);
}
