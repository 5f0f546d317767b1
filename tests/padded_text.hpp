// Texts for the line readers, which may load bytes past a text's end but must never use them.
#pragma once

#include <string>
#include <string_view>

#include "line_paddings.hpp"

namespace zelmor_test {

// `text` copied into `storage` between paddings of digits: a reader that used any byte before the
// start or past the end would read a different number and be caught.
inline std::string_view padded(std::string& storage, std::string_view text)
{
    storage.assign(zelmor::kPaddingBefore, '7');
    storage.append(text);
    storage.append(zelmor::kPaddingAfter, '7');
    return std::string_view(storage.data() + zelmor::kPaddingBefore, text.size());
}

}  // namespace zelmor_test
