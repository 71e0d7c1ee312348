; 24 rows and 38 columns: the checkerboard with RSEL and CSEL clear. With YSCROLL 3 the
; border hides the top four lines of row 0 and the bottom four of row 24; with XSCROLL 0
; it hides seven pixels of column 0 and nine of column 39.
.include "common.inc"

main:   fill_screen checker_cell
        lda $D011
        and #$F7
        sta $D011
        lda $D016
        and #$F7
        sta $D016
        jmp *
