#pragma once

#include <memory>

#include "conversion/ScriptProperties.h"
#include "conversion/WarningCodeSet.h"

class TConversionReview;
class TScriptEditor;

/// Converts the script in `input` into `output`, line by line from pane to pane without holding
/// the lines as a list, and harvests its header into `properties` (whose comments are replaced;
/// see LegacyConverter). Checks the conversion; of the repairs, only the program line's may be
/// among `fixes` (a line's own repair is applied by the user, in the output pane). Returns the
/// review of what the conversion did, its warnings included.
std::shared_ptr<TConversionReview> convertPane(const TScriptEditor& input, TScriptEditor& output,
                                               quillshift::ScriptProperties& properties,
                                               quillshift::WarningCodeSet fixes = {});

/// True when the script in `pane` already has a converted header (read up to its program line).
bool paneHasConvertedHeader(const TScriptEditor& pane);
