#include "document/documentrequests.h"

#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "foundation/waitwindow.h"

bool AnswerDocumentRequest(CKorDoc& document, NotifyHead& record)
{
    // A record's code fixes its type (listnotifyinfo.h).
    switch (record.code) {
    case RequestCode::GetRecord:
        document.HandleGetRecord(static_cast<RecordNotifyInfo&>(record));
        return true;
    case RequestCode::GetFieldDescriptor:
        document.HandleGetFieldDescriptor(static_cast<FieldDescriptorNotifyInfo&>(record));
        return true;
    case RequestCode::ItemInfo: {
        auto& info = static_cast<ListNotifyInfo&>(record);
        if (info.query) {
            document.HandleItemQuery(info);
        } else {
            BeginWait();
            document.HandleItemChange(info);
            EndWait();
        }
        return true;
    }
    case RequestCode::CompareRows:
        document.HandleCompareRows(static_cast<CompareRowsNotifyInfo&>(record));
        return true;
    case RequestCode::SetFieldValue:
        document.SetItemFieldValue(static_cast<FieldValueNotifyInfo&>(record));
        return true;
    case RequestCode::DistinctValues:
        document.HandleGetDistinctValues(static_cast<DistinctValuesNotifyInfo&>(record));
        return true;
    case RequestCode::AddField:
        document.HandleAddField(static_cast<AddFieldNotifyInfo&>(record));
        return true;
    case RequestCode::SetFieldProperty:
        document.HandleSetFieldProperties(static_cast<FieldPropertyNotifyInfo&>(record));
        return true;
    case RequestCode::DeleteField:
        document.HandleDeleteField(static_cast<DeleteFieldNotifyInfo&>(record));
        return true;
    case RequestCode::FieldIds:
        document.HandleGetFieldIds(static_cast<FieldIdsNotifyInfo&>(record));
        return true;
    case RequestCode::FieldNames:
        document.HandleGetFieldNames(static_cast<FieldNamesNotifyInfo&>(record));
        return true;
    case RequestCode::ItemChanged: {
        const auto& info = static_cast<ItemNotifyInfo&>(record);
        document.NotifyChanged(info.topic, info.id);
        return true;
    }
    case RequestCode::DeleteItem: {
        const auto& info = static_cast<ItemNotifyInfo&>(record);
        document.DeleteItem(info.topic, info.id);
        return true;
    }
    case RequestCode::ReadSetting: {
        auto& info = static_cast<SettingNotifyInfo&>(record);
        info.result = document.ReadSetting(info.key, info.value);
        return true;
    }
    case RequestCode::WriteSetting: {
        auto& info = static_cast<SettingNotifyInfo&>(record);
        info.result = document.WriteSettingString(info.key, info.value);
        return true;
    }
    case RequestCode::DeleteSetting: {
        auto& info = static_cast<SettingNotifyInfo&>(record);
        info.result = document.DeleteSetting(info.key);
        return true;
    }
    case RequestCode::Empty:
        return true;   // a head only: nothing to answer
    case RequestCode::ExpandStates: {
        BeginWait();
        document.HandleExpandStates(static_cast<ExpandStatesNotifyInfo&>(record));
        EndWait();
        return true;
    }
    case RequestCode::ChangeFieldType:
        document.HandleChangeFieldType(static_cast<FieldTypeNotifyInfo&>(record));
        return true;
    case RequestCode::ContextMenu:
    case RequestCode::FollowItem:
    case RequestCode::OpenItem:
    case RequestCode::Drop:
        return false;
    }
    return false;
}
