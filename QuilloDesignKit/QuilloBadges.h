#pragma once

// One include for the small components: section header, status dot, pill badge, divider and count badge.
#include "QuilloDesignKit/QuilloCountBadge.h"
#include "QuilloDesignKit/QuilloDivider.h"
#include "QuilloDesignKit/QuilloPillBadge.h"
#include "QuilloDesignKit/QuilloSectionHeader.h"
#include "QuilloDesignKit/QuilloStatusDot.h"
