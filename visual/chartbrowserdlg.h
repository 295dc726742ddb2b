#pragma once

#include "ui/dlgbase.h"
#include "ui/objlistctrl.h"

#include <QList>
#include <QPointer>
#include <QString>

struct TreeRow;
class CommandToolBar;
class QAction;
class QSlider;
struct NotifyHead;
class CChartBrowserDlg;

/// Commands of the chart windows' toolbars.
namespace ChartCommand {
enum : int {
    Close = 8,
    Help = 9,
    SavePng = 659,
    ExcelToFolder = 1262,
    ExportTable = 5778,
    SecondOutput = 33635,
    HeaderNarrow = 3139,
    HeaderCaptions = 3140,
    HeaderFitted = 3141,
    CalcWhole = 3154,
    CalcPerColumn = 3155,
    CalcPerRow = 3156,
    Numbers = 3142,
    Circles = 3143,
    DocumentCounter = 3152,
    Near = 3138,
    NearOptions = 3144,
    CrosstabDocumentCounter = 1182,
    ValueAbsolute = 1173,
    ValueRowPercent = 1174,
    ValueColumnPercent = 1175,
    HtmlTable = 1165,
    Recompute = 3153,
};
}

/// The frame's commands that open the chart windows, and its export of
/// the typology table.
namespace ChartFrameCommand {
enum : int {
    CodeMatrix = 33129,      ///< ID_CM_BROWSER
    CodeRelations = 33163,   ///< ID_CO_BROWSER
    Sequence = 33215,        ///< ID_SEQ_BROWSER
    Comparison = 33225,      ///< ID_TCC_BROWSER
    Typology = 33632,        ///< ID_TYPOLOGYTABLE
    ExportToolTable = 668,   ///< the typology window's table as an HTML page
};
}

/// The six views of the chart window, by variant number.
enum class ChartVariant : int { CodeMatrix = 0, CodeRelations = 1, Sequence = 2, Comparison = 3, Crosstab = 4, Typology = 5 };

/// @short What a chart window asks of the frame. The window computes no
/// counts: every new number comes from here.
class IChartBrowserOwner {
public:
    virtual ~IChartBrowserOwner() = default;
    /// Captions and followed items (-202, -204), answered by the frame's router.
    virtual void ChartRequest(NotifyHead& record) = 0;
    /// Recompute (action 1, queued), the near switch (0) or the second
    /// output (2) of a variant.
    virtual void ChartRefresh(qint32 variant, qint32 action) = 0;
    /// The typology table as an HTML page.
    virtual void ChartExportTable(CChartBrowserDlg& window) = 0;
    /// A double click on a cell, as the grid reports it.
    virtual void ChartDoubleClick(CChartBrowserDlg& window, MatrixDoubleClick kind, qint32 first, qint32 second) = 0;
};

/// @short The chart window: one modeless window class for the code matrix,
/// code relations, sequence, comparison, crosstab and typology views, a
/// matrix grid under a toolbar of display switches, a column slider and
/// the recompute command.
///
/// The frame fills the public tables, then shows the window; the display
/// state is kept per variant in the profile section "ChartBrowser%d". The
/// window deletes itself when closed.
class CChartBrowserDlg : public CResizableDlgBase, public IMatrixListOwner {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 227;
    static constexpr int kGridId = 1032;
    static constexpr int kSliderId = 555;
    static constexpr int kToolBarId = 559;
    /// The answer to a private query of the window's kind.
    static constexpr quint32 kWindowSignature = 0x534B0000;

    /// `owner` receives the requests (not owned; may be null: then none
    /// is sent). An unknown variant keeps no placement.
    CChartBrowserDlg(QWidget* parent, IChartBrowserOwner* owner, int variant);
    ~CChartBrowserDlg() override;

    int Variant() const { return m_variant; }

    // ---- What the frame fills before showing ---------------------------------
    /// Ids of the column objects in display order (documents, codes,
    /// paragraph numbers, …).
    QList<qint32> m_columnIds;
    /// The code rows (variants 0, 1, 2, 4); empty for the others.
    QList<MatrixRow> m_rows;
    /// A: the document rows of the comparison chart.
    QList<qint32> m_tableA;
    /// B counts, C document (presence) counts; row by row, row × columns + column.
    QList<qint32> m_tableB;
    QList<qint32> m_tableC;
    /// D: the crosstab's document counts; the comparison chart's colour runs.
    QList<quint32> m_tableD;
    /// E: the documents the code relations took into account.
    QList<qint32> m_tableE;
    /// Code relations: the computation's parameters, kept for recomputing.
    bool m_near = false;
    bool m_activatedOnly = false;
    qint32 m_nearDistance = 0;
    /// Sequences: the document shown and the dialog's second option.
    QString m_documentName;
    qint32 m_documentId = 0;
    bool m_sequenceOption = false;
    /// Appended to the title when not empty.
    QString m_titleSuffix;
    /// 0 the stored setting; 1 the document counter on; other values off.
    qint32 m_documentCounterPreset = 0;
    /// Crosstab and typology: labels and cells (cells only for the typology,
    /// row × columns + column).
    QStringList m_columnLabels;
    QStringList m_rowLabels;
    QStringList m_cellTexts;
    qint32 m_cellsPerRow = 0;
    /// Crosstab: the owner's second-output options.
    qint32 m_outputOptions = 0;
    QList<quint32> m_outputCodes;
    /// Opened by the inter-coder command (its help topics).
    bool m_interCoder = false;

    // ---- Display state --------------------------------------------------------
    CObjListCtrl* Grid() const { return m_grid; }
    CommandToolBar* ToolBar() const { return m_toolbar; }
    QSlider* Slider() const { return m_slider; }
    bool CountsDocuments() const { return m_documentCounter; }
    bool ShowsNumbers() const { return m_numbers; }
    bool ShowsCircles() const { return m_circles; }
    bool NearSwitch() const { return m_near; }
    int CalcMode() const { return m_calcMode; }
    int ValueMode() const { return m_valueMode; }
    bool CountsCrosstabDocuments() const { return m_crosstabDocumentCounter; }
    /// Data columns the slider hides, counted from the first.
    int SliderPosition() const { return m_sliderPosition; }
    /// The grid's columns that show, the label column included.
    int VisibleColumns() const;

    /// After a recompute of the tables: the grid reads them again.
    void Redraw();
    /// Runs a toolbar command as its button does.
    bool RunCommand(int id);
    /// Moves the slider (as the user drags it).
    void SetSliderPosition(int position);
    /// The help topic of the variant.
    int HelpTopic() const;
    /// The profile section of the variant.
    QString Section() const;

    /// Saves the grid as a PNG picture at the path; false (after a message)
    /// when it could not be written.
    bool SavePicture(const QString& path);

    // IMatrixListOwner
    void OnItemInfo(ListNotifyInfo& info) override;
    void OnFollowItem(IdListNotifyInfo& info) override;
    void OnMatrixDoubleClick(MatrixDoubleClick kind, qint32 first, qint32 second) override;

protected:
    bool OnInitDialog() override;
    void done(int result) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildToolBar();
    void UpdateToolBar();
    void LoadSettings();
    void SaveSettings() const;
    void LoadGrid();
    void ApplySlider();
    void PromptPicture();
    void Send(qint32 action);
    MatrixDisplay Display() const;
    int HeaderModeShown() const;

    IChartBrowserOwner* m_owner;
    int m_variant;
    CObjListCtrl* m_grid = nullptr;
    CommandToolBar* m_toolbar = nullptr;
    QSlider* m_slider = nullptr;
    QAction* m_sliderAction = nullptr;   // the toolbar shows and hides the slider through it
    MatrixData m_data;
    bool m_documentCounter = false;
    bool m_numbers = false;
    bool m_circles = false;
    int m_calcMode = 0;
    int m_headerMode = 1;
    int m_valueMode = 0;
    bool m_crosstabDocumentCounter = false;
    int m_firstColumnWidth = 200;
    int m_columnWidth = 20;
    int m_sliderPosition = 0;
};

/// The grid row of a code-tree row: level counted from 0, the tree lines
/// from the ancestors' next-sibling flags.
MatrixRow ToMatrixRow(const TreeRow& row);
