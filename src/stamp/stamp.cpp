#include "tolvex/stamp.hpp"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <memory>
#include <span>
#include <vector>

#include "base/guard.h"
#include "base/messages.h"
#include "image/output_file.h"
#include "image/vector_print.h"
#include "tolvex/picture.hpp"

namespace tolvex {
namespace {

constexpr double kDefaultWidthMm = 30.0;

// The picture as a one-page PDF of its physical size, in memory.
Result<std::vector<std::uint8_t>> stamp_picture(std::string_view text, const StampOptions& options) {
  PictureOptions picture = options.picture;
  picture.format = ImageFormat::pdf;
  picture.paper.reset();
  picture.compactVector = true;
  if (!picture.physicalSize) picture.physicalSize = Length{kDefaultWidthMm, LengthUnit::millimetre};
  return render(text, picture);
}

// Where the picture of that size goes on a page whose visible box is given, in PDF coordinates
// (from the bottom-left corner); nullopt when it leaves the page.
std::optional<QPDFObjectHandle::Rectangle> placement(const QPDFObjectHandle::Rectangle& box, double width,
                                                     double height, const StampOptions& options) {
  const double pageWidth = box.urx - box.llx;
  const double pageHeight = box.ury - box.lly;
  double x = 0, y = 0;  // from the top-left corner, downwards
  if (options.at) {
    x = points_of(options.at->x);
    y = points_of(options.at->y);
  } else {
    const double margin = points_of(options.pageMargin);
    const auto index = static_cast<int>(options.position.value_or(PagePosition::bottom_right));
    const auto along = [&](int step, double page, double size) {
      return step == 0 ? margin : step == 1 ? (page - size) / 2 : page - margin - size;
    };
    x = along(index % 3, pageWidth, width);
    y = along(index / 3, pageHeight, height);
  }
  constexpr double kSlack = 0.01;
  if (x < -kSlack || y < -kSlack || x + width > pageWidth + kSlack || y + height > pageHeight + kSlack) {
    return std::nullopt;
  }
  const double left = box.llx + x;
  const double top = box.ury - y;
  return QPDFObjectHandle::Rectangle(left, top - height, left + width, top);
}

ErrorCode stamp(std::string_view text, const std::filesystem::path& input, const std::filesystem::path& output,
                const StampOptions& options) {
  const Result<std::vector<std::uint8_t>> picture = stamp_picture(text, options);
  if (!picture) return static_cast<ErrorCode>(picture.error().code);

  QPDF invoice;
  invoice.setSuppressWarnings(true);
  try {
    invoice.processFile(input.c_str());
  } catch (const QPDFExc& failure) {
    // A file that asks for a password to be opened at all.
    if (failure.getErrorCode() == qpdf_e_password) return report(messages::kPdfIsEncrypted, input.string());
    return report(messages::kCannotReadPdfDocument, failure.what());
  } catch (const std::runtime_error& failure) {
    return report(messages::kCannotReadPdfDocument, failure.what());
  }
  if (invoice.isEncrypted()) return report(messages::kPdfIsEncrypted, input.string());

  std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(invoice).getAllPages();
  const auto count = static_cast<std::int32_t>(pages.size());
  const std::int32_t number = options.page.value_or(count);
  if (number < 1 || number > count) return report(messages::kPdfHasNoSuchPage, std::to_string(number));
  QPDFPageObjectHelper& page = pages[static_cast<std::size_t>(number - 1)];

  QPDF code;
  code.processMemoryFile("code", reinterpret_cast<const char*>(picture->data()), picture->size());
  QPDFPageObjectHelper codePage = QPDFPageDocumentHelper(code).getAllPages().front();
  const QPDFObjectHandle::Rectangle codeBox = codePage.getMediaBox().getArrayAsRectangle();
  QPDFObjectHandle form = invoice.copyForeignObject(codePage.getFormXObjectForPage());

  const std::optional<QPDFObjectHandle::Rectangle> where =
      placement(page.getCropBox().getArrayAsRectangle(), codeBox.urx - codeBox.llx, codeBox.ury - codeBox.lly, options);
  if (!where) return report(messages::kPictureOffThePage);

  QPDFObjectHandle resources = page.getAttribute("/Resources", true);
  if (!resources.isDictionary()) {
    resources = QPDFObjectHandle::newDictionary();
    page.getObjectHandle().replaceKey("/Resources", resources);
  }
  if (!resources.getKey("/XObject").isDictionary()) resources.replaceKey("/XObject", QPDFObjectHandle::newDictionary());
  int suffix = 0;
  const std::string name = resources.getUniqueResourceName("/TolvexCode", suffix);
  resources.getKey("/XObject").replaceKey(name, form);
  // The page's own drawing is closed in q ... Q, so that a state it leaves changed cannot move
  // or colour the code.
  page.addPageContents(QPDFObjectHandle::newStream(&invoice, "q\n"), true);
  page.addPageContents(
      QPDFObjectHandle::newStream(&invoice, "Q\nq\n" + page.placeFormXObject(form, name, *where) + "\nQ\n"), false);

  QPDFWriter writer(invoice);
  writer.setOutputMemory();
  writer.write();
  const std::shared_ptr<Buffer> written(writer.getBufferSharedPointer());
  const std::span<const std::uint8_t> bytes(written->getBuffer(), written->getSize());
  if (!write_file_atomically(output.c_str(), bytes)) return report(messages::kCannotWriteImageToOutputFile);
  return ERROR_OK;
}

}  // namespace

Result<void> stamp_pdf(std::string_view text, const std::filesystem::path& input, const std::filesystem::path& output,
                       const StampOptions& options) {
  return guarded_status([&] {
    try {
      return stamp(text, input, output, options);
    } catch (const QPDFExc& failure) {
      return report(messages::kCannotReadPdfDocument, failure.what());
    } catch (const std::logic_error& failure) {
      return report(messages::kCannotReadPdfDocument, failure.what());
    } catch (const std::runtime_error& failure) {
      return report(messages::kCannotReadPdfDocument, failure.what());
    }
  });
}

}  // namespace tolvex
