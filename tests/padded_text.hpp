// Texts for the line readers, which may load bytes past a text's end but must never use them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>

#include "line_paddings.hpp"

namespace zelmor_test {

// Owns a padded text: one allocation of exactly the text and its paddings, so that AddressSanitizer
// catches a load of one byte more on either side.
using PaddedStorage = std::unique_ptr<char[]>;

// `text` copied into `storage` between paddings of digits: a reader that used any byte before the
// start or past the end would read a different number and be caught.
inline std::string_view padded(PaddedStorage& storage, std::string_view text)
{
    const std::size_t size = zelmor::kPaddingBefore + text.size() + zelmor::kPaddingAfter;
    storage = std::make_unique_for_overwrite<char[]>(size);
    std::fill_n(storage.get(), size, '7');
    std::copy(text.begin(), text.end(), storage.get() + zelmor::kPaddingBefore);
    return std::string_view(storage.get() + zelmor::kPaddingBefore, text.size());
}

}  // namespace zelmor_test
