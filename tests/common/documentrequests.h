#pragma once

// Answers the request records of a view from the project document as the
// frame's router does: item queries and changes, record reads and project
// settings; every other request is kept for the test to read.

#include "document/kordoc.h"
#include "panes/listnotifyinfo.h"
#include "panes/requestowner.h"

#include <functional>

namespace testutil {

class DocumentRequests : public RequestOwner {
public:
    explicit DocumentRequests(CKorDoc& doc) : m_doc(doc) {}

    void Request(NotifyHead& record) override
    {
        switch (record.code) {
        case RequestCode::ItemInfo: {
            auto& info = static_cast<ListNotifyInfo&>(record);
            if (info.query)
                m_doc.HandleItemQuery(info);
            else
                m_doc.HandleItemChange(info);
            break;
        }
        case RequestCode::GetRecord:
            m_doc.HandleGetRecord(static_cast<RecordNotifyInfo&>(record));
            break;
        case RequestCode::ReadSetting: {
            auto& info = static_cast<SettingNotifyInfo&>(record);
            info.result = m_doc.ReadSetting(info.key, info.value);
            break;
        }
        case RequestCode::WriteSetting: {
            auto& info = static_cast<SettingNotifyInfo&>(record);
            info.result = m_doc.WriteSettingString(info.key, info.value);
            break;
        }
        default:
            others.append(record.code);
            if (onOther)
                onOther(record);
            break;
        }
    }

    /// Codes of the requests not answered here, in order.
    QList<RequestCode> others;
    /// Called for each of them.
    std::function<void(NotifyHead&)> onOther;

private:
    CKorDoc& m_doc;
};

}  // namespace testutil
