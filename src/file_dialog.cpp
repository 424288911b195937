// file_dialog.cpp - finding the input file: from the "filename" resource,
// the "current" resource, the latest file in batch mode, or by asking the
// user, with the list of available files.
//
// Works on the convention state of the file-name module (file_conv.h);
// keeps no state of its own.

#include <strings.h>

#include "file_conv.h"
#include "files.h"
#include "flag.h"
#include "mess.h"
#include "resrc.h"
#include "system.h"
#include "vekstr.h"

using namespace vekfiles;

namespace {

constexpr int ANSWER_LEN = 80; // an answer at the file prompt: at most 79 characters
constexpr int retry = 4;       // prompts before the dialogue gives up

// Copies the file name into OUTFILE when there is one.
void give_name(char *outfile) {
    if (outfile) vek_strlcpy(outfile, state.filename, FILE_NAME_LEN);
}

// The current or latest file of REQUEST: found, or the process ends with 10.
int resolve_request_or_exit(const char *request, char *outfile) {
    if (FILE_set_current(request, state.filename) < 0) VEK_exit(10);
    give_name(outfile);
    if (FILE_exist(state.filename)) {
        MESS_print(M_MESS, "Current filename: %s\n", state.filename);
        return 1;
    }
    MESS_print(M_WARN, "File not found: %s\n", state.filename);
    VEK_exit(10);
}

} // namespace

int FILE_get_named(const char *name, char *outfile) {
    state.filename_type = 1;
    if (FILE_set_file(name, state.filename) < 0) return -1;
    give_name(outfile);
    return FILE_exist(state.filename);
}

// "list" at the prompt lists the files again and uses up the attempt; it is
// not followed by an existence check (so it never accepts an empty name as
// standard input). An empty answer is the empty name: standard input.
int FILE_get_file(const char *prompt, char *outfile) {
    int argc = 0;
    char **argv = nullptr;
    if (RES_getvals("filename", &argc, &argv) > 0) {
        if (strcasecmp(argv[0], "list") == 0) {
            FILE_list_file();
            free_parsed_array(argc, argv);
            VEK_exit(0);
        }
        const int found = FILE_get_named(argv[0], outfile);
        free_parsed_array(argc, argv);
        if (found < 0) VEK_exit(10); // a name that does not fit is never cut
        return found;
    }
    free_parsed_array(argc, argv);

    if (const char *cur = RES_get("current")) return resolve_request_or_exit(cur, outfile);
    if (FLAG_batch()) return resolve_request_or_exit("la", outfile);

    MESS_print(M_PRINT, "List of available files:\n");
    FILE_list_file();
    MESS_print(M_PRINT, "\n");
    for (int attempt = 0; attempt < retry; ++attempt) {
        state.filename_type = 1;
        char answer[ANSWER_LEN] = "";
        VEK_prompts(prompt ? prompt : "", answer, ANSWER_LEN);
        switch (VEK_prompt_status()) {
        case VEK_PROMPT_END:
            // Nobody is there to answer: inventing a name would convert
            // whatever it stands for.
            MESS_print(M_WARN, "FILE_get_file: End of input: no input file was chosen\n");
            VEK_exit(10);
        case VEK_PROMPT_LONG:
            MESS_print(M_WARN, "FILE_get_file: Answer too long (at most %d characters)\n",
                       ANSWER_LEN - 1);
            continue;
        default:
            break;
        }
        if (strcasecmp(answer, "exit") == 0) VEK_exit(0);
        if (strcasecmp(answer, "list") == 0) {
            FILE_list_file();
            continue;
        }
        int made;
        if (answer[0] == '#' || strncasecmp(answer, "la", 2) == 0) {
            made = FILE_set_current(answer, state.filename);
            if (made == 0) MESS_print(M_MESS, "Current filename: %s\n", state.filename);
        } else if (strncasecmp(answer, "cu", 2) == 0) {
            made = FILE_set_current(answer + 2, state.filename);
            if (made == 0) MESS_print(M_MESS, "Current filename: %s\n", state.filename);
        } else {
            made = FILE_set_file(answer, state.filename);
        }
        if (made < 0) continue; // refused with its reason; the next attempt
        give_name(outfile);
        if (FILE_exist(state.filename)) return 1;
        MESS_print(M_WARN, "File not found: %s\n", state.filename);
    }
    VEK_exit(10);
}
