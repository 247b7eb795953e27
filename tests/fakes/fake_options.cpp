#include "fake_options.h"

namespace mivex::testing {

bool FakeOptions::ReadOption(options::Option option, std::int32_t& value) {
    const auto found = integers.find(option);
    value = found == integers.end() ? 0 : found->second;
    return found != integers.end();
}

bool FakeOptions::ReadOption(options::Option option, std::u16string& value) {
    const auto found = strings.find(option);
    value = found == strings.end() ? u"" : found->second;
    return found != strings.end();
}

}  // namespace mivex::testing
