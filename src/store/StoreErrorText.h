#pragma once

#include "store/StoreError.h"

#include <string>
#include <string_view>

namespace parcelo {

// What went wrong, in a few words, for a line of the command line or a message that
// names the file ("디스크 공간이 부족합니다.").
std::u16string DescribeStoreError(StoreError error);

// The message for a store operation that failed: `failure` says what could not be
// done ("배송정보를 저장하지 못했습니다."), then what the user can do. A failure that may
// go away invites a retry; any other says why a retry cannot help.
std::u16string StoreFailureText(std::u16string_view failure, StoreError error);

} // namespace parcelo
