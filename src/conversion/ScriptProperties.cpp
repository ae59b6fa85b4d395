#include "conversion/ScriptProperties.h"

#include "conversion/LanguageTable.h"

namespace quillshift {

void ScriptProperties::clear() {
    *this = ScriptProperties{};
}

std::string_view ScriptProperties::languageCode() const {
    return LanguageTable::row(language).code;
}

}  // namespace quillshift
