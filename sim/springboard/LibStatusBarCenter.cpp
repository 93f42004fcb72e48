#include "LibStatusBarCenter.h"

#include <base/PlistFile.h>

namespace springboard {

std::string LibStatusBarCenter::receive(const std::string& center, const std::string& message,
                                        const PList::Dictionary* userInfo,
                                        std::optional<int64_t> pid) {
    if (center != kLibStatusBarCenter) return "no such centre: " + center;
    if (message != kLibStatusBarMessage) return "the centre has no message " + message;
    if (!userInfo) return "no userInfo";
    const std::string item = base::stringAt(*userInfo, "item").value_or("");
    if (item.empty()) return "userInfo names no item";

    // The payloads are exact: {item, properties: 1} shows, {item} hides. Anything else is
    // some other client's idea of the protocol and must not change the status bar.
    const bool hasProperties = userInfo->Find("properties") != userInfo->End();
    const uint32_t entries = plist_dict_get_size(userInfo->GetPlist());
    if (entries == 1) {
        statusBar_.hide(item, "libstatusbar", pid);
        return "";
    }
    if (entries == 2 && hasProperties) {
        const auto properties = base::integerAt(*userInfo, "properties");
        if (properties != 1) return "properties is not the integer 1";
        statusBar_.show(item, "libstatusbar", pid);
        return "";
    }
    return "userInfo has unexpected entries";
}

}  // namespace springboard
