// Kept apart from Qt headers: glib's headers use names that Qt's keywords redefine.
#include "workbook/ole_container.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>

#include <algorithm>

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

std::string readCompoundStream(const std::string& path, const std::vector<std::string>& names,
                               std::size_t limit, std::string& found,
                               std::vector<unsigned char>& bytes) {
    found.clear();
    bytes.clear();
    GError* error = nullptr;
    const auto reason = [&error](const char* otherwise) {
        std::string text = error && error->message ? error->message : otherwise;
        if (error)
            g_error_free(error);
        error = nullptr;
        return text;
    };
    GsfInput* file = gsf_input_stdio_new(path.c_str(), &error);
    if (!file)
        return reason("gsf_input_stdio_new");
    GsfInfile* document = gsf_infile_msole_new(file, &error);
    g_object_unref(file);
    if (!document)
        return reason("gsf_infile_msole_new");
    std::string problem;
    const int count = gsf_infile_num_children(document);
    GsfInput* stream = nullptr;
    for (const std::string& wanted : names) {
        for (int i = 0; i < count && !stream; ++i) {
            const char* name = gsf_infile_name_by_index(document, i);
            if (name && g_ascii_strcasecmp(name, wanted.c_str()) == 0) {
                stream = gsf_infile_child_by_index(document, i);
                found = wanted;
            }
        }
        if (stream)
            break;
    }
    if (stream) {
        const gsf_off_t size = gsf_input_size(stream);
        if (size < 0 || static_cast<unsigned long long>(size) > limit) {
            problem = "the stream is too large";
        } else {
            bytes.resize(static_cast<std::size_t>(size));
            std::size_t done = 0;
            while (done < bytes.size() && problem.empty()) {
                const std::size_t piece = std::min<std::size_t>(bytes.size() - done, 1 << 20);
                if (!gsf_input_read(stream, piece, bytes.data() + done))
                    problem = "gsf_input_read";
                done += piece;
            }
        }
        g_object_unref(stream);
    }
    g_object_unref(document);
    if (!problem.empty())
        bytes.clear();
    return problem;
}

}  // namespace agrimor
