// The library's C++ interface in one include: documents of every family, encoding and decoding,
// XML and JSON, pictures and reading codes back. Each job is one call that takes an options value and
// gives a Result (tolvex/result.hpp); the older entries report through an ErrorCode and the
// calling thread's last error (tolvex/error.hpp).
#pragma once

#include "tolvex/check.hpp"
#include "tolvex/decode.hpp"
#include "tolvex/document.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/error.hpp"
#include "tolvex/field.hpp"
#include "tolvex/header.hpp"
#include "tolvex/invoice.hpp"
#include "tolvex/invoice_items.hpp"
#include "tolvex/json.hpp"
#include "tolvex/pay.hpp"
#include "tolvex/picture.hpp"
#include "tolvex/picture_options.hpp"
#include "tolvex/pointer_list.hpp"
#include "tolvex/result.hpp"
#include "tolvex/scan.hpp"
#include "tolvex/stamp.hpp"
#include "tolvex/summary.hpp"
#include "tolvex/value.hpp"
#include "tolvex/xml.hpp"
