#pragma once

// A request owner for tests of list windows: it hands every request record
// to the project document's handler, as the frame's router does, and logs
// what only the frame would act on (context menus, follow, open, commands
// and messages of list windows).

#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "panes/objectlistwindow.h"

#include <QStringList>

namespace testutil {

class DocumentOwner : public IListWindowOwner {
public:
    explicit DocumentOwner(CKorDoc& doc) : m_doc(doc) {}

    void Request(NotifyHead& record) override
    {
        ++requests;
        switch (record.code) {
        case RequestCode::GetRecord: m_doc.HandleGetRecord(static_cast<RecordNotifyInfo&>(record)); break;
        case RequestCode::GetFieldDescriptor:
            m_doc.HandleGetFieldDescriptor(static_cast<FieldDescriptorNotifyInfo&>(record));
            break;
        case RequestCode::ItemInfo: {
            auto& info = static_cast<ListNotifyInfo&>(record);
            if (info.query)
                m_doc.HandleItemQuery(info);
            else
                m_doc.HandleItemChange(info);
            break;
        }
        case RequestCode::CompareRows: m_doc.HandleCompareRows(static_cast<CompareRowsNotifyInfo&>(record)); break;
        case RequestCode::SetFieldValue: {
            auto& info = static_cast<FieldValueNotifyInfo&>(record);
            m_doc.SetItemFieldValue(info);
            log.append(QStringLiteral("set(%1,%2,%3,%4)=%5")
                           .arg(info.topic)
                           .arg(info.itemId)
                           .arg(info.fieldId)
                           .arg(info.text)
                           .arg(info.result ? 1 : 0));
            break;
        }
        case RequestCode::DistinctValues:
            m_doc.HandleGetDistinctValues(static_cast<DistinctValuesNotifyInfo&>(record));
            break;
        case RequestCode::AddField: m_doc.HandleAddField(static_cast<AddFieldNotifyInfo&>(record)); break;
        case RequestCode::SetFieldProperty:
            m_doc.HandleSetFieldProperties(static_cast<FieldPropertyNotifyInfo&>(record));
            break;
        case RequestCode::DeleteField: m_doc.HandleDeleteField(static_cast<DeleteFieldNotifyInfo&>(record)); break;
        case RequestCode::FieldIds: m_doc.HandleGetFieldIds(static_cast<FieldIdsNotifyInfo&>(record)); break;
        case RequestCode::FieldNames: m_doc.HandleGetFieldNames(static_cast<FieldNamesNotifyInfo&>(record)); break;
        case RequestCode::ChangeFieldType: m_doc.HandleChangeFieldType(static_cast<FieldTypeNotifyInfo&>(record)); break;
        case RequestCode::ExpandStates: m_doc.HandleExpandStates(static_cast<ExpandStatesNotifyInfo&>(record)); break;
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
        case RequestCode::DeleteSetting: {
            auto& info = static_cast<SettingNotifyInfo&>(record);
            info.result = m_doc.DeleteSetting(info.key);
            break;
        }
        case RequestCode::ContextMenu:
        case RequestCode::FollowItem:
        case RequestCode::OpenItem: {
            const auto& info = static_cast<const IdListNotifyInfo&>(record);
            const char* name = record.code == RequestCode::ContextMenu ? "menu"
                : record.code == RequestCode::FollowItem              ? "follow"
                                                                       : "open";
            log.append(QStringLiteral("%1(%2,%3,%4)").arg(QLatin1String(name)).arg(info.kind).arg(info.itemId).arg(info.extra));
            break;
        }
        default: break;
        }
    }

    QString ProjectIdentity() const override { return QStringLiteral("test-project"); }

    bool ListCommand(ObjectListWindow*, int commandId) override
    {
        log.append(QStringLiteral("command(%1)").arg(commandId));
        return confirm;
    }
    void ListMessage(ObjectListWindow*, int message, const QList<qint32>& keys, const QString& path) override
    {
        QStringList ids;
        for (const qint32 key : keys)
            ids.append(QString::number(key));
        log.append(QStringLiteral("message(%1,%2,%3)").arg(message).arg(ids.join(u' '), path));
    }

    /// Takes the log.
    QStringList Take()
    {
        QStringList taken = log;
        log.clear();
        return taken;
    }

    QStringList log;
    int requests = 0;
    bool confirm = true;   ///< the answer to a search-hit list's confirmation

private:
    CKorDoc& m_doc;
};

}  // namespace testutil
