#pragma once

#include <memory>

#include "conversion/ScriptProperties.h"

class TConversionReview;
class TScriptEditor;

/// Converts the script in `input` into `output`, line by line from pane to pane without holding
/// the lines as a list, and harvests its header into `properties` (whose comments are replaced;
/// see LegacyConverter). Returns the review of what the conversion did.
std::shared_ptr<TConversionReview> convertPane(const TScriptEditor& input, TScriptEditor& output,
                                               quillshift::ScriptProperties& properties);

/// True when the script in `pane` already has a converted header (read up to its program line).
bool paneHasConvertedHeader(const TScriptEditor& pane);
