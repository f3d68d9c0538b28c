#include "pc/TimeHighSettingDataStruct.h"

bool TimeHighSettingDataStruct::sameAs(const TimeHighSettingDataStruct& other) const
{
    return titleStr().description() == other.titleStr().description() &&
           titleStr_1().description() == other.titleStr_1().description() &&
           detailStr().description() == other.detailStr().description() && type().description() == other.type().description();
}
