// Kept apart from Qt headers: glib's headers use names that Qt's keywords redefine.
#include "workbook/ole_container.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>

namespace agrimor {

std::string writeCompoundDocument(const std::string& path, const std::string& streamName,
                                  const std::vector<unsigned char>& stream) {
    GError* error = nullptr;
    GsfOutput* file = gsf_output_stdio_new(path.c_str(), &error);
    if (!file) {
        std::string reason = error ? error->message : "gsf_output_stdio_new";
        if (error)
            g_error_free(error);
        return reason;
    }
    GsfOutfile* document = gsf_outfile_msole_new(file);
    g_object_unref(file);
    GsfOutput* child = gsf_outfile_new_child(document, streamName.c_str(), FALSE);
    std::string reason;
    if (!child || !gsf_output_write(child, stream.size(), stream.data()))
        reason = "gsf_output_write";
    if (child) {
        if (!gsf_output_close(child) && reason.empty())
            reason = "gsf_output_close";
        g_object_unref(child);
    }
    if (!gsf_output_close(GSF_OUTPUT(document)) && reason.empty()) {
        const GError* closeError = gsf_output_error(GSF_OUTPUT(document));
        reason = closeError ? closeError->message : "gsf_output_close";
    }
    g_object_unref(document);
    return reason;
}

}  // namespace agrimor
