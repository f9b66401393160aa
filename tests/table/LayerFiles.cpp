#include "LayerFiles.h"

#include <gdal.h>
#include <gdal_utils.h>

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace quarvel::testing {

void translateLayer(const QString& from, const QString& to, const QStringList& options) {
    GDALAllRegister();
    std::vector<QByteArray> words;
    for (const QString& option : options) {
        words.push_back(option.toUtf8());
    }
    std::vector<char*> arguments;
    for (QByteArray& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);
    GDALVectorTranslateOptions* parsed = GDALVectorTranslateOptionsNew(arguments.data(), nullptr);
    GDALDatasetH source =
        GDALOpenEx(QFile::encodeName(from).constData(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    int usageError = 0;
    GDALDatasetH made = parsed != nullptr && source != nullptr
                            ? GDALVectorTranslate(QFile::encodeName(to).constData(), nullptr, 1,
                                                  &source, parsed, &usageError)
                            : nullptr;
    if (made == nullptr) {
        std::fprintf(stderr, "cannot write %s from %s: %s\n", qPrintable(to), qPrintable(from),
                     CPLGetLastErrorMsg());
        std::abort();
    }
    GDALClose(made);
    GDALClose(source);
    GDALVectorTranslateOptionsFree(parsed);
}

} // namespace quarvel::testing
