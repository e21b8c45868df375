#include "app/startup/CommandLine.h"

#include <algorithm>

namespace ondrix::app {

namespace {

bool SameText(std::string_view a, std::string_view b)
{
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : char(c); };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

bool TCommandLine::HasFlag(const std::string& name) const
{
    return std::any_of(items_.begin() + std::min<std::size_t>(1, items_.size()), items_.end(),
                       [&](const std::string& item) { return SameText(item, name); });
}

std::optional<std::string> TCommandLine::Value(const std::string& name) const
{
    for (std::size_t i = 1; i < items_.size(); ++i) {
        const std::string& item = items_[i];
        const auto equals = item.find('=');
        if (equals != std::string::npos && SameText(std::string_view(item).substr(0, equals), name))
            return item.substr(equals + 1);
    }
    return std::nullopt;
}

std::string TCommandLine::ProgramFileName() const
{
    if (items_.empty()) return {};
    const std::string& path = items_.front();
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace ondrix::app
