#pragma once
// A scrolling list of texts with one selection (CList) and a drop-down list of fixed choices
// (CPopup), over native controls. Indices are 1-based; 0 means no item. A new selection made
// by the user reaches the parent's handler as a control event (type 100); a double click on a
// list entry as type 101.

#include "framework/CPanel.h"
#include "framework/CString.h"

// The operations both kinds share.
class CListBase : public CPanel {
public:
    // The entry's index, a value below 1 when refused.
    short add(const char* text);
    // Inserts so that the text becomes entry n (0 appends); returns its index.
    short insert(const char* text, short n);
    void remove(short n);
    void clear();
    short total();
    short get_cur();
    void set_cur(short n);  // 0 clears the selection
    // Entry n, or the empty text when there is none; always 1.
    short get_item(short n, CString* out);

protected:
    explicit CListBase(CPanel* parent) : CPanel(parent) {}
};

class CList : public CListBase {
public:
    CList(CPanel* parent, short id);
    ~CList() override;
    // Replaces entry n, keeping it selected when it was.
    void set_item(const char* text, short n);
    // Scrolls so that entry n is the first shown.
    void set_first(short n);
};

class CPopup : public CListBase {
public:
    CPopup(CPanel* parent, short id);
    ~CPopup() override;
    // Binds the variable and selects the entry it holds.
    void set_var_ptr(short* v);

    short* var_ptr = nullptr;
};
