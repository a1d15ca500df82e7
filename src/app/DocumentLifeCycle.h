#pragma once
// The life of the one open document (`doc`, shown by `view`): opened from a score file,
// closed with the question whether to save it, saved under a name chosen in the user's folder
// that suits where it came from.

#include <functional>
#include <string>

struct Document;

// Where an opened score is shown: the play-along view (the scores of the libraries, the
// compositions, the last document), or the score editor (a file given on the command line,
// by a second start or by a demonstration script).
enum class DocumentShown { Editor, PlayAlong };

// Opens a score document in this program's format with its view, closing the open document
// first (with the save question). 1 when it is open; 0 when nothing changed: the file could not
// be read (the user is told why) or the user kept the open document.
short load_document(const char* path, DocumentShown shown = DocumentShown::Editor);
// Closes the open document, asking first whether to save it when it changed. 1 when no
// document is open any more (also when none was); 0 when the user cancelled or the save failed,
// the document staying open. `close_assistant`: the composition assistant closes too.
short fermer_document(bool close_assistant);
// Asks for a file name in the folder that suits the document (its MIDI origin, a composition,
// else a variation) and saves it there; never replaces a file without the user's yes. The
// result of the save (non-zero on success), 0 when the user cancelled.
short save_as(Document* d);
// Closes the open document without any question (the end of a run).
void discard_document();
// Makes the view of the current document `doc` (a document the MIDI import just built).
void open_view_of_document();
// Makes the play-along view of the current document `doc` and prepares it for touch play.
void open_play_along_view();

// The file as the system names it (for the readers and writers that open a file by its path as
// it stands), from a path as the program writes it.
std::string native_path(const std::string& path);

// The save question's answers.
constexpr short kAnswerSave = 1000;
constexpr short kAnswerCancel = 1001;
constexpr short kAnswerDontSave = 1002;
// Answers the save question instead of its dialog (tests); given the question's text. An empty
// function brings the dialog back.
void set_save_question_responder(std::function<short(const char* text)> responder);
