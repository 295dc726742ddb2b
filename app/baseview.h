#pragma once

#include "foundation/commandtarget.h"
#include "panes/contextsearch.h"
#include "panes/panecaption.h"
#include "retrieval/contextsearchbar.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QToolButton;

/// @short The host of one pane in the main window: a caption strip with
/// the pane's title and its hide and maximise buttons above the pane.
///
/// The buttons only ask the frame (HideRequested, MaximiseRequested); the
/// frame decides. Which pane a view hosts is the frame's choice too. A pane
/// that offers the context search (IContextSearchPane) gets the search bar
/// under the caption from the search button; the view passes the bar's
/// requests to the pane. A pane with caption commands (IPaneCaption) gets a
/// button for each, left of the search button in slot order; a button shows
/// only while some target of the frame carries its command out, and a click
/// goes to the pane.
class CBaseView : public QWidget, public IContextSearchHost {
    Q_OBJECT
public:
    static constexpr int kCaptionHeight = 24;

    /// `paneCommandId` is the view's pane command (32769 to 32772).
    CBaseView(int paneCommandId, QWidget* parent = nullptr);

    int PaneCommandId() const { return m_paneCommandId; }
    /// Puts the pane (not owned) under the caption with its title.
    void SetPane(QWidget* pane, const QString& title);
    QWidget* Pane() const { return m_pane; }
    QString Title() const;
    /// The hide button is off while a pane is maximised, and the maximise
    /// button then restores.
    void SetMaximised(bool maximised);

    /// What the frame says of a command: handled (the button shows) and
    /// enabled; without it every caption command shows and is enabled.
    using CommandState = std::function<CCmdUI(int commandId)>;
    void SetCommandState(CommandState state);
    /// Shows, enables and checks the pane's caption buttons anew.
    void UpdateCaptionButtons();
    /// The caption button of a command of the pane; null when none.
    QToolButton* PaneButton(int commandId) const;

    QToolButton* HideButton() const { return m_hide; }
    QToolButton* MaximiseButton() const { return m_maximise; }
    QToolButton* SearchButton() const { return m_search; }

    /// The search button: closes an open bar; otherwise opens one when the
    /// pane offers the context search, and focuses its field.
    void ToggleContextSearch();
    /// The open bar; null when none.
    CContextSearchBar* SearchBar() const { return m_searchBar; }
    /// Code 4 forgets the bar, code 5 makes it search again; every code but
    /// 5 goes on to the pane.
    bool ContextSearch(ContextSearchRequest& request) override;

signals:
    void HideRequested(int paneCommandId);
    void MaximiseRequested(int paneCommandId);

private:
    void PaneButtonClicked(int slot);

    int m_paneCommandId;
    QLabel* m_title;
    QToolButton* m_hide;
    QToolButton* m_maximise;
    QToolButton* m_search;
    std::array<QToolButton*, IPaneCaption::kButtonSlots> m_paneButtons{};
    std::array<int, IPaneCaption::kButtonSlots> m_paneCommands{};
    CommandState m_commandState;
    QPointer<QWidget> m_pane;
    QString m_paneTitle;   // the caption while the pane names nothing
    QPointer<CContextSearchBar> m_searchBar;
};
