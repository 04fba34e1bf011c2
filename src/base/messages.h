// Every fixed text the library records with a failure, each with the code it goes with.
//
// THESE TEXTS ARE THE TOOLS' OBSERVABLE OUTPUT: the error lines of tolvexqr, tolvexbatch and
// tolvexdecode, of tolvex_error_line() and of the Python module are composed of them, and the
// golden tests hold every one byte for byte, trailing spaces and odd capitals included. Change
// one only where the change is meant to be seen by users.
//
// Sources name an entry of this table and never write a message literal of their own
// (scripts/check_messages.py fails the tests otherwise). A new message goes into the group of
// its subject and into kEveryMessage below. A text recorded with two codes is two entries.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "base/error.h"

namespace tolvex {

struct Message {
  ErrorCode code;         // the code the text is recorded with
  std::string_view text;  // exactly as recorded
};

namespace messages {

// Memory and failures nobody expected.
inline constexpr Message kNotEnoughMemory{ERROR_IO, "Not enough memory. "};
inline constexpr Message kUnexpectedFailure{ERROR_IO, "Unexpected failure. "};

// Arguments of the library's entries that must not be null.
inline constexpr Message kBase32hexCannotBeNull{ERROR_NULL_POINTER, "Base32hex cannot be NULL. "};
inline constexpr Message kBase32hexPointerCannotBeNull{ERROR_NULL_POINTER,
                                                       "Base32hex pointer cannot be NULL."};
inline constexpr Message kXmlCannotBeNull{ERROR_NULL_POINTER, "XML cannot be NULL."};
inline constexpr Message kXmlPointerCannotBeNull{ERROR_NULL_POINTER, "XML pointer cannot be NULL. "};
inline constexpr Message kJsonCannotBeNull{ERROR_NULL_POINTER, "JSON cannot be NULL. "};
inline constexpr Message kJsonPointerCannotBeNull{ERROR_NULL_POINTER, "JSON pointer cannot be NULL. "};
inline constexpr Message kDocumentCannotBeNull{ERROR_NULL_POINTER, "Document cannot be null. "};
inline constexpr Message kDocumentToSerialiseCannotBeNull{ERROR_NULL_POINTER, "Document cannot be NULL."};
inline constexpr Message kDocumentPointerCannotBeNull{ERROR_NULL_POINTER,
                                                      "Document pointer cannot be NULL. "};
inline constexpr Message kHeaderCannotBeNull{ERROR_NULL_POINTER, "Header cannot be null. "};
inline constexpr Message kPathCannotBeNull{ERROR_NULL_POINTER, "Path cannot be null. "};
inline constexpr Message kFieldCannotBeNull{ERROR_NULL_POINTER, "Field cannot be null. "};
inline constexpr Message kTextPointerCannotBeNull{ERROR_NULL_POINTER, "Text pointer cannot be NULL. "};
inline constexpr Message kSettingsCannotBeNull{ERROR_NULL_POINTER, "Settings cannot be NULL. "};
inline constexpr Message kPngBufferPointerCannotBeNull{ERROR_NULL_POINTER,
                                                       "PNG buffer pointer cannot be NULL. "};
inline constexpr Message kSvgBufferPointerCannotBeNull{ERROR_NULL_POINTER,
                                                       "SVG buffer pointer cannot be NULL. "};
inline constexpr Message kPdfBufferPointerCannotBeNull{ERROR_NULL_POINTER,
                                                       "PDF buffer pointer cannot be NULL. "};
inline constexpr Message kCodesPointerCannotBeNull{ERROR_NULL_POINTER, "Codes pointer cannot be NULL. "};
inline constexpr Message kOptionsPointerCannotBeNull{ERROR_NULL_POINTER, "Options pointer cannot be NULL. "};
inline constexpr Message kFileNamePointerCannotBeNull{ERROR_NULL_POINTER, "File name pointer cannot be NULL. "};
inline constexpr Message kDataPointerCannotBeNull{ERROR_NULL_POINTER, "Data pointer cannot be NULL. "};
inline constexpr Message kInputCannotBeNull{ERROR_NULL_POINTER, "Input cannot be NULL. "};
inline constexpr Message kFileNameCannotBeNull{ERROR_NULL_POINTER, "File name cannot be NULL. "};
inline constexpr Message kIndexPointerCannotBeNull{ERROR_NULL_POINTER, "Index pointer cannot be NULL. "};

// Values the C interface refuses.
inline constexpr Message kNotADocumentOfThisLibrary{ERROR_ILLEGAL_ARGUMENT,
                                                    "Not a document of this library. "};
inline constexpr Message kIllegalImageFormat{ERROR_ILLEGAL_ARGUMENT,
                                             "Illegal argument value for image format."};

// The tolvex text: base32hex, header, checksum, compression and length.
inline constexpr Message kInvalidBase32hexString{ERROR_BASE32HEX, "Invalid base32hex string. "};
inline constexpr Message kBase32hexToDecodeCannotBeNull{ERROR_BASE32HEX, "Base32hex cannot be NULL. "};
inline constexpr Message kHeaderNotFound{ERROR_UNKNOWN_DOCUMENT, "Header not found. "};
inline constexpr Message kChecksumNotFound{ERROR_CHECKSUM, "Checksum not found. "};
inline constexpr Message kChecksumMismatch{ERROR_CHECKSUM, "Checksum mismatch. "};
inline constexpr Message kCompressionError{ERROR_COMPRESSION, "Compression error. "};
inline constexpr Message kDecompressionError{ERROR_COMPRESSION, "Decompression error. "};
inline constexpr Message kInvalidCompressedData{ERROR_COMPRESSION, "Invalid compressed data. "};
inline constexpr Message kSequenceLimitExceeded{ERROR_SEQUENCE_LIMIT_EXCEEDED, "Sequence limit exceeded."};

// Reading XML; the element's name comes first where one is named.
inline constexpr Message kGettingRootElementError{ERROR_XML, "Getting root element error"};
// Followed by libxml2's diagnostics as the detail.
inline constexpr Message kGettingRootElementErrorBeforeDiagnostics{ERROR_XML, "Getting root element error\n"};
inline constexpr Message kRootTypeAttributeInvalid{ERROR_XML,
                                                   "Attribute 'type' in root element has invalid value."};
inline constexpr Message kInvalidIntegerFormat{ERROR_XML, "Invalid integer format."};
inline constexpr Message kInvalidDecimalFormat{ERROR_XML,
                                               "Invalid decimal format. Use dot '.' as a decimal mark."};
inline constexpr Message kInvalidEnumValue{ERROR_XML, "Invalid enum value."};
inline constexpr Message kContainsDuplicateValue{ERROR_XML, "Contains duplicate value."};

// Reading JSON: like unreadable XML, ERROR_XML. The parser's own report is the detail, after one space.
inline constexpr Message kJsonCannotBeRead{ERROR_XML, "JSON cannot be read:"};
// After a report of the parser that names no place, before the byte offset.
inline constexpr Message kJsonAtByte{ERROR_XML, " at byte "};
inline constexpr Message kJsonNotADocument{
    ERROR_XML, "JSON document is not an object with one member named Pay, Invoice or InvoiceItems. "};
// Each follows the member's path, as a JSON pointer ("/Pay/Payments/0/Amount").
inline constexpr Message kJsonNotAString{ERROR_XML, " is not a JSON string. "};
inline constexpr Message kJsonNotANumber{ERROR_XML, " is not a JSON number. "};
inline constexpr Message kJsonNotAnObject{ERROR_XML, " is not a JSON object. "};
inline constexpr Message kJsonNotAnArray{ERROR_XML, " is not a JSON array. "};
inline constexpr Message kJsonMemberTwice{ERROR_XML, " is given twice in its JSON object. "};
// Writing JSON: after the field's name.
inline constexpr Message kJsonNumberNotFinite{ERROR_INVALID_VALUE,
                                              " is not a finite number, which JSON cannot carry. "};

// Documents and their families.
inline constexpr Message kUnknownDocumentFamily{ERROR_UNKNOWN_DOCUMENT, "Unknown document family. "};
inline constexpr Message kDocumentVersionNotSupported{ERROR_UNKNOWN_DOCUMENT,
                                                      "Document version is not supported. "};
inline constexpr Message kErrorInGettingRootAndType{ERROR_XML, "Error in getting root and type"};
inline constexpr Message kErrorWrongInvoiceDocumentType{ERROR_XML, "Error wrong invoice document type"};
// After the path that was asked for.
inline constexpr Message kNamesNoFieldOfTheDocument{ERROR_ILLEGAL_ARGUMENT,
                                                    " names no field of the document. "};

// The field checks: each follows the field's name.
inline constexpr Message kCannotBeNull{ERROR_INVALID_VALUE, " cannot be NULL. "};
inline constexpr Message kCannotBeEmpty{ERROR_INVALID_VALUE, " cannot be empty. "};
inline constexpr Message kIsInvalidDateFormat{ERROR_INVALID_VALUE, " is invalid date format. "};
inline constexpr Message kDayOrMonthOutOfRange{ERROR_XML,
                                               " is invalid date format. Day or month is out of range. "};
inline constexpr Message kIsInvalidCountryCode{ERROR_INVALID_VALUE, " is invalid country code. "};
inline constexpr Message kIsInvalidCurrencyCode{ERROR_INVALID_VALUE, " is invalid currency code. "};
inline constexpr Message kMustBeBetweenZeroAndOne{ERROR_INVALID_VALUE,
                                                  " is invalid, value must be between 0 and 1 inclusive. "};
inline constexpr Message kCannotBeNegative{ERROR_INVALID_VALUE, " cannot be negative. "};
inline constexpr Message kIsOutOfRange{ERROR_INVALID_VALUE, " is out of range. "};
inline constexpr Message kContainsInvalidValues{ERROR_INVALID_VALUE, " contains invalid values. "};
inline constexpr Message kCanContainOnlyDigits{ERROR_INVALID_VALUE, " is invalid. Can contain only digits. "};
inline constexpr Message kIsTooLong{ERROR_INVALID_VALUE, " is too long. "};
inline constexpr Message kIsInvalid{ERROR_INVALID_VALUE, " is invalid. "};
inline constexpr Message kConflictsWithAnotherField{ERROR_INVALID_VALUE,
                                                    " conflicts with another field value. "};
inline constexpr Message kNoChoiceFieldGiven{ERROR_INVALID_VALUE,
                                             " or the other(s) choice field(s) cannot be NULL. "};
inline constexpr Message kListCannotBeEmpty{ERROR_INVALID_VALUE, " list cannot be empty. "};
inline constexpr Message kListCannotContainNull{ERROR_INVALID_VALUE, " list cannot contain NULL value. "};
// The one check that names both fields itself.
inline constexpr Message kPeriodFromDateAfterPeriodToDate{ERROR_INVALID_VALUE,
                                                          "PeriodFromDate is after PeriodToDate. "};

// The payment order's rules: why a field must be absent, after the field's name.
inline constexpr Message kInvalidValue{ERROR_INVALID_VALUE, "Invalid value. "};
inline constexpr Message kMustBeNullBecauseOfReference{
    ERROR_INVALID_VALUE, " must be NULL, because OriginatorsReferenceInformation is not NULL. "};
inline constexpr Message kMustBeNullUnlessPeriodicityRequires{
    ERROR_INVALID_VALUE, " must be NULL if Periodicity does not require it. "};
inline constexpr Message kMustBeNullWithoutStandingOrder{
    ERROR_INVALID_VALUE, " must be NULL, because PaymentOptions does not contain standingorder. "};
inline constexpr Message kMustBeNullWithoutDirectDebit{
    ERROR_INVALID_VALUE, " must be NULL, because PaymentOptions does not contain directdebit. "};
// Without a leading space or a full stop: the error line puts one space after the name.
inline constexpr Message kSepaSchemeSelected{ERROR_INVALID_VALUE, "SEPA direct debit scheme selected"};
inline constexpr Message kMandateIdentifiersUsed{ERROR_INVALID_VALUE,
                                                 "MandateID, CreditorID and ContractID are used"};
inline constexpr Message kReferenceInformationUsed{ERROR_INVALID_VALUE,
                                                   "OriginatorsReferenceInformation is used"};

// Drawing and writing pictures.
inline constexpr Message kTextCannotBeEncodedAsQrCode{
    ERROR_QR, "Text cannot be encoded as a QR code: it is empty or too long. "};
// Around the largest size in pixels.
inline constexpr Message kImageSizeTooLarge{ERROR_ILLEGAL_ARGUMENT,
                                            "Image size is too large: the largest is "};
inline constexpr Message kImageSizeTooLargeUnit{ERROR_ILLEGAL_ARGUMENT, " pixels. "};
inline constexpr Message kCannotWriteImageToOutputFile{ERROR_IO, "Cannot write image to output file. "};
inline constexpr Message kCannotWriteImage{ERROR_IO, "Cannot write image. "};
// The print options of a picture.
inline constexpr Message kModuleSizeOutOfRange{ERROR_ILLEGAL_ARGUMENT, "Module size is outside 0 to 100 pixels. "};
inline constexpr Message kModuleSizeOnlyWithoutLogo{
    ERROR_ILLEGAL_ARGUMENT, "Module size applies to the code without logo; the logo picture has the logo's size. "};
inline constexpr Message kMarginOutOfRange{ERROR_ILLEGAL_ARGUMENT, "Margin is outside 4 to 100 modules. "};
inline constexpr Message kResolutionOutOfRange{ERROR_ILLEGAL_ARGUMENT, "Resolution is outside 0 to 10000 dpi. "};
inline constexpr Message kIllegalErrorCorrectionLevel{ERROR_ILLEGAL_ARGUMENT,
                                                      "Error correction level is none of L, M, Q and H. "};
inline constexpr Message kSizesExcludeEachOther{ERROR_ILLEGAL_ARGUMENT,
                                                "Give one of size, module size and physical size. "};
inline constexpr Message kPhysicalSizeOutOfRange{ERROR_ILLEGAL_ARGUMENT,
                                                 "Physical size is outside 1 to 14400 points. "};
inline constexpr Message kPaperOnlyInPdf{ERROR_ILLEGAL_ARGUMENT, "Paper placement is only for PDF. "};
inline constexpr Message kPlaceAndPositionTogether{ERROR_ILLEGAL_ARGUMENT,
                                                   "Give a place or a position on the page, not both. "};
inline constexpr Message kPictureOffThePage{ERROR_ILLEGAL_ARGUMENT, "Picture does not fit on the page there. "};
// Stamping a PDF; the file or the page number follows.
inline constexpr Message kPdfIsEncrypted{ERROR_ILLEGAL_ARGUMENT, "PDF is encrypted and cannot be stamped. "};
inline constexpr Message kPdfHasNoSuchPage{ERROR_ILLEGAL_ARGUMENT, "PDF has no such page. "};
inline constexpr Message kIllegalPaperOrPosition{ERROR_ILLEGAL_ARGUMENT, "Illegal argument value for paper or position."};

// Logo pictures.
inline constexpr Message kCannotCreateLogo{ERROR_MISSING_LOGO, "Cannot create logo. "};
inline constexpr Message kCannotFindLogoFile{ERROR_MISSING_LOGO, "Cannot find logo file. "};
inline constexpr Message kCannotReadLogoFile{ERROR_MISSING_LOGO, "Cannot read logo file. "};
inline constexpr Message kIllegalLogoVariation{ERROR_ILLEGAL_ARGUMENT,
                                               "Illegal argument value for logo variation."};
inline constexpr Message kIllegalLogoRotation{ERROR_ILLEGAL_ARGUMENT,
                                              "Illegal argument value for logo rotation."};
inline constexpr Message kLogoOnlyForKnownFamilies{ERROR_MISSING_LOGO,
                                                   "Creating QR code images with logo is currently supported "
                                                   "only for PAY, INVOICE or INVOICE ITEMS tolvex."};

// Input files of the tools and of the scan (the file's name follows where it is known).
inline constexpr Message kCannotReadInputFile{ERROR_IO, "Cannot read input file. "};
inline constexpr Message kInputFileTooLarge{ERROR_ILLEGAL_ARGUMENT, "Input file too large. "};
// The tolvex command's files; the detail is the file's name, ": " and the system's reason.
inline constexpr Message kCannotRead{ERROR_IO, "Cannot read"};
inline constexpr Message kCannotWrite{ERROR_IO, "Cannot write"};

// Reading codes back from pictures and PDF documents.
inline constexpr Message kUnknownScanFileFormat{ERROR_ILLEGAL_ARGUMENT,
                                                "Unknown file format, expected PNG, JPEG or PDF. "};
inline constexpr Message kPictureTooLarge{ERROR_ILLEGAL_ARGUMENT, "Picture too large. "};
inline constexpr Message kCannotReadPngPicture{ERROR_IO, "Cannot read PNG picture. "};
inline constexpr Message kCannotReadJpegPicture{ERROR_IO, "Cannot read JPEG picture. "};
inline constexpr Message kCannotReadPdfDocument{ERROR_IO, "Cannot read PDF document. "};
inline constexpr Message kTooManyPdfPages{ERROR_ILLEGAL_ARGUMENT, "Too many PDF pages. "};
inline constexpr Message kPdfPageTooLarge{ERROR_ILLEGAL_ARGUMENT, "PDF page too large. "};
// The reading worker: a file whose reading ended the worker or held it too long.
inline constexpr Message kCannotStartReader{ERROR_IO, "Cannot start the reader. "};
// The program that runs a subcommand of the tolvex command (tolvex-read, ...).
inline constexpr Message kCannotRunProgram{ERROR_IO, "Cannot run the program. "};
inline constexpr Message kReaderStoppedBySignal{ERROR_IO, "File could not be read: the reader stopped (signal "};
inline constexpr Message kReaderStoppedBySignalEnd{ERROR_IO, "). "};
inline constexpr Message kReaderForbiddenCall{ERROR_IO,
                                              "File could not be read: the reader made a forbidden system call. "};
inline constexpr Message kReaderTookLongerThan{ERROR_IO, "File could not be read: it took longer than "};
inline constexpr Message kReaderSeconds{ERROR_IO, " s. "};
inline constexpr Message kReaderGaveNoAnswer{ERROR_IO, "File could not be read: the reader gave no answer. "};
inline constexpr Message kPdfDocumentIsEncrypted{ERROR_IO, "PDF document is encrypted. "};
// Opens the detail of a failure on one page of a PDF or TIFF, whatever the failure's code.
inline constexpr Message kPageOfDocument{ERROR_IO, "page "};
// The formats scanners and phones write; the library's entries name every format they read.
inline constexpr Message kUnknownPictureFileFormat{
    ERROR_ILLEGAL_ARGUMENT, "Unknown file format, expected PNG, JPEG, PDF, TIFF, WebP, HEIC or BMP. "};
inline constexpr Message kCannotReadTiffPicture{ERROR_IO, "Cannot read TIFF picture. "};
inline constexpr Message kTooManyTiffPages{ERROR_ILLEGAL_ARGUMENT, "Too many TIFF pages. "};
inline constexpr Message kCannotReadWebpPicture{ERROR_IO, "Cannot read WebP picture. "};
inline constexpr Message kCannotReadHeicPicture{ERROR_IO, "Cannot read HEIC picture. "};
inline constexpr Message kHeicDecoderMissing{ERROR_ILLEGAL_ARGUMENT,
                                             "HEIC pictures cannot be decoded: libheif has no HEVC decoder. "};
inline constexpr Message kCannotReadBmpPicture{ERROR_IO, "Cannot read BMP picture. "};
inline constexpr Message kUnsupportedBmpPicture{ERROR_ILLEGAL_ARGUMENT,
                                                "BMP picture of a kind not read (compression or depth). "};
// Hostile files refused before decoding: an image of a PDF beyond the picture limits, a
// progressive JPEG of more scans than any encoder writes.
inline constexpr Message kPdfImageTooLarge{ERROR_ILLEGAL_ARGUMENT, "PDF image too large. "};
inline constexpr Message kTooManyJpegScans{ERROR_ILLEGAL_ARGUMENT, "Too many JPEG scans. "};
// The scanning entries of a library built with TOLVEX_READERS=OFF.
// stamp_pdf of a library built without qpdf.
inline constexpr Message kStampingNotBuilt{ERROR_ILLEGAL_ARGUMENT, "Stamping PDFs is not built in. "};
inline constexpr Message kReadingNotBuilt{ERROR_ILLEGAL_ARGUMENT, "Reading codes is not built in. "};
inline constexpr Message kNoQrCodeFound{ERROR_UNKNOWN_DOCUMENT, "No QR code found. "};
inline constexpr Message kNotATolvexCode{ERROR_BAD_FORMAT, "Not a tolvex code. "};
// What a foreign code holds, in the detail of kNotATolvexCode.
inline constexpr Message kQrCodeIsEmpty{ERROR_BAD_FORMAT, "QR code is empty"};
inline constexpr Message kQrCodeHoldsUrl{ERROR_BAD_FORMAT, "QR code holds a URL: "};
inline constexpr Message kQrCodeHoldsText{ERROR_BAD_FORMAT, "QR code holds text: "};

// The tools' command lines; the option or argument follows.
inline constexpr Message kIllegalValueFor{ERROR_ILLEGAL_ARGUMENT, "Illegal value for: "};
inline constexpr Message kUnknownOption{ERROR_ILLEGAL_ARGUMENT, "Unknown option: "};
inline constexpr Message kMissingOption{ERROR_ILLEGAL_ARGUMENT, "Missing option: "};
inline constexpr Message kNoInputPathsGiven{ERROR_ILLEGAL_ARGUMENT, "No input paths given. "};

// tolvexbatch's inputs and outputs.
inline constexpr Message kUnknownBatchFileFormat{ERROR_ILLEGAL_ARGUMENT,
                                                 "Unknown file format, expected .xml or .txt (or -i). "};
inline constexpr Message kCannotReadDirectory{ERROR_IO, "Cannot read directory. "};
inline constexpr Message kCannotCreateOutputDirectory{ERROR_IO, "Cannot create output directory. "};
// The detail names the picture, " from " one input, " and " the other.
inline constexpr Message kTwoInputsWouldWriteTheSamePicture{ERROR_ILLEGAL_ARGUMENT,
                                                            "Two inputs would write the same picture: "};
inline constexpr Message kSamePictureFrom{ERROR_ILLEGAL_ARGUMENT, " from "};
inline constexpr Message kSamePictureAnd{ERROR_ILLEGAL_ARGUMENT, " and "};

// Bounds on input.
inline constexpr Message kXmlContentTooLong{
    ERROR_XML, "XML content longer than 65536 bytes once its entity references are expanded. "};
inline constexpr Message kXmlExpansionTooLarge{
    ERROR_XML, "XML document larger than 1048576 bytes once its entity references are expanded. "};
inline constexpr Message kStandardInputTooLarge{ERROR_ILLEGAL_ARGUMENT,
                                                "Standard input too large, more than 16 MiB. "};
inline constexpr Message kStandardInputUnreadable{ERROR_IO, "Cannot read standard input. "};
inline constexpr Message kNotADocumentFile{ERROR_ILLEGAL_ARGUMENT,
                                           "Input is a directory or a device, not a document file. "};
inline constexpr Message kJsonTooLarge{ERROR_XML, "JSON document larger than 16777216 bytes. "};
inline constexpr Message kJsonTooDeep{ERROR_XML, "JSON nested deeper than 64 levels. "};

// The strict checks' findings (warnings unless --strict); the value follows where there is one.
inline constexpr Message kIbanCheckDigitsMismatch{ERROR_INVALID_VALUE, "IBAN check digits do not match"};
inline constexpr Message kIbanCountryUnknown{ERROR_INVALID_VALUE, "IBAN country is not in the IBAN registry"};
inline constexpr Message kIbanLengthWrong{ERROR_INVALID_VALUE, "IBAN length is not the length its country uses"};
inline constexpr Message kIbanBbanFormatWrong{ERROR_INVALID_VALUE, "IBAN account part does not have its country's format"};
inline constexpr Message kBicCountryUnknown{ERROR_INVALID_VALUE, "BIC country letters name no ISO 3166 country"};
inline constexpr Message kBicCountryDiffersFromIban{ERROR_INVALID_VALUE, "BIC country differs from the IBAN's country"};
inline constexpr Message kDateNotInCalendar{ERROR_INVALID_VALUE, "Date is not a day of the calendar"};
inline constexpr Message kLastDateBeforeDueDate{ERROR_INVALID_VALUE, "Last date of the standing order is before its due date"};
inline constexpr Message kCurrencyNotInUse{ERROR_INVALID_VALUE, "Currency is not an ISO 4217 code in current use"};
inline constexpr Message kAmountTooManyDecimals{ERROR_INVALID_VALUE, "Amount has more decimals than its currency's minor unit"};
inline constexpr Message kAmountNotPositive{ERROR_INVALID_VALUE, "Amount of a payment is zero or negative"};
inline constexpr Message kElementUnknownHere{ERROR_INVALID_VALUE, "Element is not known at this place"};
inline constexpr Message kElementGivenTwice{ERROR_INVALID_VALUE, "Element is given twice where one is read"};
inline constexpr Message kMemberUnknownHere{ERROR_INVALID_VALUE, "Member is not known in this object"};
inline constexpr Message kTextWhereRecordExpected{ERROR_INVALID_VALUE, "Text stands where a record of elements is expected"};
inline constexpr Message kTaxExclusiveTotalsDiffer{ERROR_INVALID_VALUE, "Tax exclusive total differs from the sum of the tax summaries"};
inline constexpr Message kTaxTotalsDiffer{ERROR_INVALID_VALUE, "Tax total differs from the sum of the tax summaries"};
inline constexpr Message kTaxAmountDiffersFromRate{ERROR_INVALID_VALUE,
                                                  "Tax amount is not the taxable amount times its rate"};
inline constexpr Message kDidYouMean{ERROR_INVALID_VALUE, " did you mean "};
// The line of a document that tolvex make or batch do not draw under --strict.
inline constexpr Message kRefusedByStrictCheck{ERROR_INVALID_VALUE, "Refused by the strict check, see its findings above. "};

// The HTTP service's requests (tolvex serve); the detail names the bound, type or path.
inline constexpr Message kRequestBodyTooLarge{ERROR_ILLEGAL_ARGUMENT, "Request body too large, the most is "};
inline constexpr Message kUnsupportedContentType{ERROR_ILLEGAL_ARGUMENT, "Unsupported content type: "};
inline constexpr Message kBearerTokenRequired{ERROR_ILLEGAL_ARGUMENT, "A valid bearer token is required. "};
inline constexpr Message kServerBusy{ERROR_IO, "Server busy, try again later. "};
inline constexpr Message kNoSuchEndpoint{ERROR_ILLEGAL_ARGUMENT, "No such endpoint: "};
inline constexpr Message kMethodNotAllowed{ERROR_ILLEGAL_ARGUMENT, "Method not allowed: "};
inline constexpr Message kMalformedRequest{ERROR_ILLEGAL_ARGUMENT, "Malformed HTTP request, status "};
inline constexpr Message kRequestHeadersTooLarge{ERROR_ILLEGAL_ARGUMENT, "Request headers too large, the most is "};

// Every entry above, for the tests that hold the table together.
inline constexpr std::array kEveryMessage{
    kNotEnoughMemory,
    kUnexpectedFailure,
    kBase32hexCannotBeNull,
    kBase32hexPointerCannotBeNull,
    kXmlCannotBeNull,
    kXmlPointerCannotBeNull,
    kJsonCannotBeNull,
    kJsonPointerCannotBeNull,
    kDocumentCannotBeNull,
    kDocumentToSerialiseCannotBeNull,
    kDocumentPointerCannotBeNull,
    kHeaderCannotBeNull,
    kPathCannotBeNull,
    kFieldCannotBeNull,
    kTextPointerCannotBeNull,
    kSettingsCannotBeNull,
    kPngBufferPointerCannotBeNull,
    kSvgBufferPointerCannotBeNull,
    kPdfBufferPointerCannotBeNull,
    kCodesPointerCannotBeNull,
    kOptionsPointerCannotBeNull,
    kFileNamePointerCannotBeNull,
    kDataPointerCannotBeNull,
    kInputCannotBeNull,
    kFileNameCannotBeNull,
    kIndexPointerCannotBeNull,
    kNotADocumentOfThisLibrary,
    kIllegalImageFormat,
    kInvalidBase32hexString,
    kBase32hexToDecodeCannotBeNull,
    kHeaderNotFound,
    kChecksumNotFound,
    kChecksumMismatch,
    kCompressionError,
    kDecompressionError,
    kInvalidCompressedData,
    kSequenceLimitExceeded,
    kGettingRootElementError,
    kGettingRootElementErrorBeforeDiagnostics,
    kRootTypeAttributeInvalid,
    kInvalidIntegerFormat,
    kInvalidDecimalFormat,
    kInvalidEnumValue,
    kContainsDuplicateValue,
    kUnknownDocumentFamily,
    kDocumentVersionNotSupported,
    kErrorInGettingRootAndType,
    kErrorWrongInvoiceDocumentType,
    kNamesNoFieldOfTheDocument,
    kCannotBeNull,
    kCannotBeEmpty,
    kIsInvalidDateFormat,
    kDayOrMonthOutOfRange,
    kIsInvalidCountryCode,
    kIsInvalidCurrencyCode,
    kMustBeBetweenZeroAndOne,
    kCannotBeNegative,
    kIsOutOfRange,
    kContainsInvalidValues,
    kCanContainOnlyDigits,
    kIsTooLong,
    kIsInvalid,
    kConflictsWithAnotherField,
    kNoChoiceFieldGiven,
    kListCannotBeEmpty,
    kListCannotContainNull,
    kPeriodFromDateAfterPeriodToDate,
    kInvalidValue,
    kMustBeNullBecauseOfReference,
    kMustBeNullUnlessPeriodicityRequires,
    kMustBeNullWithoutStandingOrder,
    kMustBeNullWithoutDirectDebit,
    kSepaSchemeSelected,
    kMandateIdentifiersUsed,
    kReferenceInformationUsed,
    kTextCannotBeEncodedAsQrCode,
    kImageSizeTooLarge,
    kImageSizeTooLargeUnit,
    kCannotWriteImageToOutputFile,
    kCannotWriteImage,
    kModuleSizeOutOfRange,
    kModuleSizeOnlyWithoutLogo,
    kMarginOutOfRange,
    kResolutionOutOfRange,
    kIllegalErrorCorrectionLevel,
    kSizesExcludeEachOther,
    kPhysicalSizeOutOfRange,
    kPaperOnlyInPdf,
    kPlaceAndPositionTogether,
    kPictureOffThePage,
    kIllegalPaperOrPosition,
    kPdfIsEncrypted,
    kPdfHasNoSuchPage,
    kCannotCreateLogo,
    kCannotFindLogoFile,
    kCannotReadLogoFile,
    kIllegalLogoVariation,
    kIllegalLogoRotation,
    kLogoOnlyForKnownFamilies,
    kCannotReadInputFile,
    kInputFileTooLarge,
    kCannotRead,
    kCannotWrite,
    kUnknownScanFileFormat,
    kPictureTooLarge,
    kCannotReadPngPicture,
    kCannotReadJpegPicture,
    kCannotReadPdfDocument,
    kTooManyPdfPages,
    kPdfPageTooLarge,
    kCannotStartReader,
    kCannotRunProgram,
    kReaderStoppedBySignal,
    kReaderStoppedBySignalEnd,
    kReaderForbiddenCall,
    kReaderTookLongerThan,
    kReaderSeconds,
    kReaderGaveNoAnswer,
    kPdfDocumentIsEncrypted,
    kPageOfDocument,
    kUnknownPictureFileFormat,
    kCannotReadTiffPicture,
    kTooManyTiffPages,
    kCannotReadWebpPicture,
    kCannotReadHeicPicture,
    kHeicDecoderMissing,
    kPdfImageTooLarge,
    kTooManyJpegScans,
    kCannotReadBmpPicture,
    kUnsupportedBmpPicture,
    kStampingNotBuilt,
    kReadingNotBuilt,
    kNoQrCodeFound,
    kNotATolvexCode,
    kQrCodeIsEmpty,
    kQrCodeHoldsUrl,
    kQrCodeHoldsText,
    kIllegalValueFor,
    kUnknownOption,
    kMissingOption,
    kNoInputPathsGiven,
    kRequestBodyTooLarge,
    kUnsupportedContentType,
    kBearerTokenRequired,
    kServerBusy,
    kNoSuchEndpoint,
    kMethodNotAllowed,
    kMalformedRequest,
    kRequestHeadersTooLarge,
    kUnknownBatchFileFormat,
    kCannotReadDirectory,
    kCannotCreateOutputDirectory,
    kTwoInputsWouldWriteTheSamePicture,
    kSamePictureFrom,
    kSamePictureAnd,
    kXmlContentTooLong,
    kXmlExpansionTooLarge,
    kStandardInputTooLarge,
    kStandardInputUnreadable,
    kNotADocumentFile,
    kJsonTooLarge,
    kJsonTooDeep,
    kJsonCannotBeRead,
    kJsonAtByte,
    kJsonNotADocument,
    kJsonNotAString,
    kJsonNotANumber,
    kJsonNotAnObject,
    kJsonNotAnArray,
    kJsonMemberTwice,
    kJsonNumberNotFinite,
    kIbanCheckDigitsMismatch,
    kIbanCountryUnknown,
    kIbanLengthWrong,
    kIbanBbanFormatWrong,
    kBicCountryUnknown,
    kBicCountryDiffersFromIban,
    kDateNotInCalendar,
    kLastDateBeforeDueDate,
    kCurrencyNotInUse,
    kAmountTooManyDecimals,
    kAmountNotPositive,
    kElementUnknownHere,
    kElementGivenTwice,
    kMemberUnknownHere,
    kTextWhereRecordExpected,
    kTaxExclusiveTotalsDiffer,
    kTaxTotalsDiffer,
    kTaxAmountDiffersFromRate,
    kDidYouMean,
    kRefusedByStrictCheck,
};

}  // namespace messages

// Records the message with an empty detail and returns its code.
ErrorCode report(const Message& message) noexcept;

// Records the message and what it is about, and returns its code.
ErrorCode report(const Message& message, std::string_view detail) noexcept;

// Records a field's failure as the tools have always shown it: the element's name in the place
// of the message, the fixed text as the detail ("Amount Invalid integer format.").
ErrorCode report_field(std::string_view name, const Message& message) noexcept;

// Records a message composed around a value, opening + value + closing, with an empty detail,
// under the opening's code ("Image size is too large: the largest is 8000 pixels. ").
ErrorCode report_around(const Message& opening, std::string_view value, const Message& closing) noexcept;

}  // namespace tolvex
