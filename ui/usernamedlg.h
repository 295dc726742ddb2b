#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;

/// @short Chooses or types the name of the current user among the known
/// users.
///
/// A plain QDialog built in code until the shared dialog base takes over
/// placement and caption translation.
class CUserNameDlg : public QDialog {
    Q_OBJECT
public:
    CUserNameDlg(const QStringList& knownUsers, const QString& currentUser, QWidget* parent = nullptr);

    /// After OK: the typed or chosen name, and every entry of the list in
    /// its order (a current user unknown before is among them).
    QString CurrentUser() const { return m_current; }
    QStringList KnownUsers() const { return m_known; }
    QComboBox* Combo() const { return m_combo; }

    void accept() override;

private:
    QStringList m_known;
    QString m_current;
    QComboBox* m_combo = nullptr;
};
