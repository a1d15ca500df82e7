#pragma once
// The text-block dialog (dialog 13 of "MUSIC.RES", group "MISC"): a block's text, font, colour,
// line alignment and spacing, its kind (page block on one page or from a page on, or measure
// block) with its page or measure and staff, and where a page block sits on the page. It keeps
// a copy of a block's settings to paste into another block's dialog, and remembers the last
// font (with the colour chosen) so that the text-block tool gives them to the next new block.
//
// An edited block keeps its sort: a measure block stays a measure block, a page block a page
// block, whatever is pasted into its dialog.
//
// Threads: GUI thread; the dialog is modal.

#include <cstdint>
#include <memory>
#include <string>

class CPanel;
class CTextBloc;
struct Event;

// Runs the dialog on `t` (`creating` 1 for a block the tool is making); the block with the
// dialog's values written into it when the user pressed OK, else null with the block as it was.
CTextBloc* edit_bloc_texte(CTextBloc* t, short creating);

// The preview panel's event procedure: the sample text in the chosen font and colour.
short up_color_font_text(CPanel* panel, Event* e);

// The font and colour chosen last, for the next new block (a font must have been chosen for
// either to be used), and the copied settings; they last for the run.
struct TextBlockMemory {
    std::string font_name;  // at most 49 characters
    short font_size = 0;
    short font_style = 0;
    int32_t font_color = 0;
    std::unique_ptr<CTextBloc> copy;
};
TextBlockMemory& text_block_memory();
// Gives a new block the remembered font and colour, when a font was chosen.
void apply_remembered_font(CTextBloc* t);
