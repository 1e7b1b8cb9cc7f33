#include "core/ObjectIdentity.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <limits>

std::string ObjectIdentityText(const void* object)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%lld", static_cast<long long>(reinterpret_cast<intptr_t>(object)));
    return text;
}

// Read digit by digit so that an overlong number saturates instead of
// overflowing, whatever the width of an address.
void* ObjectFromIdentityText(const char* text)
{
    if (!text) return nullptr;
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    const uintmax_t limit = negative ? static_cast<uintmax_t>(std::numeric_limits<intptr_t>::max()) + 1
                                     : static_cast<uintmax_t>(std::numeric_limits<intptr_t>::max());
    uintmax_t magnitude = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
        const uintmax_t digit = static_cast<uintmax_t>(*text - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    const intptr_t value = negative ? static_cast<intptr_t>(0 - magnitude) : static_cast<intptr_t>(magnitude);
    return reinterpret_cast<void*>(value);
}
