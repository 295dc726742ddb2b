#include "document/listnotifyinfo.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A router tells a record's type by its code alone, so every record type
// must stamp its own code, and no two types may share one.
TEST(RequestRecords, EachRecordTypeCarriesItsOwnCode)
{
    const std::vector<std::pair<RequestCode, RequestCode>> stamped = {
        {ListNotifyInfo().code, RequestCode::ItemInfo},
        {DropNotifyInfo().code, RequestCode::Drop},
        {CompareRowsNotifyInfo().code, RequestCode::CompareRows},
        {FieldValueNotifyInfo().code, RequestCode::SetFieldValue},
        {DistinctValuesNotifyInfo().code, RequestCode::DistinctValues},
        {FieldPropertyNotifyInfo().code, RequestCode::SetFieldProperty},
        {DeleteFieldNotifyInfo().code, RequestCode::DeleteField},
        {FieldIdsNotifyInfo().code, RequestCode::FieldIds},
        {FieldNamesNotifyInfo().code, RequestCode::FieldNames},
        {FieldTypeNotifyInfo().code, RequestCode::ChangeFieldType},
        {RecordNotifyInfo().code, RequestCode::GetRecord},
        {FieldDescriptorNotifyInfo().code, RequestCode::GetFieldDescriptor},
        {AddFieldNotifyInfo().code, RequestCode::AddField},
    };
    std::set<RequestCode> seen;
    for (const auto& [code, expected] : stamped) {
        EXPECT_EQ(qint32(code), qint32(expected));
        EXPECT_TRUE(seen.insert(code).second) << qint32(code);
    }
    // Codes shared by one record type, chosen by the sender.
    for (RequestCode code : {RequestCode::ContextMenu, RequestCode::FollowItem, RequestCode::OpenItem})
        EXPECT_TRUE(seen.insert(IdListNotifyInfo(code).code).second);
    for (RequestCode code : {RequestCode::ReadSetting, RequestCode::WriteSetting, RequestCode::DeleteSetting})
        EXPECT_TRUE(seen.insert(SettingNotifyInfo(code).code).second);
    for (RequestCode code : {RequestCode::ItemChanged, RequestCode::DeleteItem})
        EXPECT_TRUE(seen.insert(ItemNotifyInfo(code).code).second);
}

}  // namespace
