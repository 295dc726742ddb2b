#pragma once

#include "foundation/commandtarget.h"
#include "visual/chartbrowserdlg.h"

#include <QList>
#include <QPointer>

#include <array>

class CKorDoc;
class CMainFrame;

/// @short The frame's chart windows: the commands that compute and open
/// the code matrix, code relations, sequence, comparison and typology
/// views, one window per view, and the windows' requests back.
///
/// A command of a view replaces the open window of that view.
class CChartCommands : public ICommandTarget, public IChartBrowserOwner {
public:
    explicit CChartCommands(CMainFrame* frame);
    ~CChartCommands() override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    /// Closes every chart window (the project goes).
    void CloseWindows();
    /// The open window of a variant; null when none.
    CChartBrowserDlg* Window(int variant) const;

    void OpenCodeMatrix();
    void OpenCodeRelations();
    void OpenSequence();
    void OpenComparison();
    void OpenTypology();
    /// Counts the open code relations again with its near switch and
    /// distance, and redraws it.
    void RecomputeCodeRelations();
    /// The typology window's table as an HTML page.
    void ExportToolTable();

    /// The paragraphs of a document as the sequence and comparison views
    /// number them: a table's rows, a rich text's paragraphs; 0 for others.
    static qint32 CountParagraphs(CKorDoc& document, qint32 id);

    // IChartBrowserOwner
    void ChartRequest(NotifyHead& record) override;
    void ChartRefresh(qint32 variant, qint32 action) override;
    void ChartExportTable(CChartBrowserDlg& window) override;
    void ChartDoubleClick(CChartBrowserDlg& window, MatrixDoubleClick kind, qint32 first, qint32 second) override;

private:
    CKorDoc* Document() const;
    /// Destroys the open window of the variant and makes an empty new one.
    CChartBrowserDlg* NewWindow(ChartVariant variant);
    void Show(CChartBrowserDlg* window);
    /// The code tree's rows, as grid rows.
    QList<MatrixRow> CodeRows() const;
    /// The selected document of the document tree when a sequence can show
    /// it (rich text or table); 0 otherwise.
    qint32 SequenceDocument() const;
    void ActivateDocumentAndCode(qint32 document, qint32 code);
    void ActivateCodePair(const CChartBrowserDlg& window, qint32 first, qint32 second);
    void GoToCoding(const CChartBrowserDlg& window, qint32 paragraph, qint32 code);
    void AfterActivation();

    CMainFrame* m_frame;
    std::array<QPointer<CChartBrowserDlg>, 6> m_windows;
};

/// The frame's menu of the chart windows.
constexpr int kVisualMenuTextId = 207000;

/// Rows left after some were removed: levels no deeper than one below the
/// row before, and the has-children flags that follow from them.
void RepairTreeRows(QList<MatrixRow>& rows);
