#pragma once

#include "browser/codetoolbardlg.h"
#include "panes/panelistener.h"
#include "store/storeids.h"

/// @short Keeps the open code tool window current: a deleted code leaves
/// it, a changed code is drawn anew, and it closes with the project.
class CodeToolListener : public CloseOnResetListener {
public:
    void OnObjectDeleted(qint32 topic, qint32 id) override
    {
        if (CodeToolBarDlg* window = Window(); window && topic == TopicId::Codes && id >= 1)
            window->RemoveCode(id);
    }
    void OnObjectChanged(qint32 topic, qint32 id) override
    {
        if (CodeToolBarDlg* window = Window(); window && topic == TopicId::Codes && id > 0)
            window->RefreshColours();
    }

private:
    CodeToolBarDlg* Window() const { return qobject_cast<CodeToolBarDlg*>(Host()); }
};
