; XSCROLL and YSCROLL: a checkerboard moved down by YSCROLL 6 (three lines below the usual
; 3), and XSCROLL changed on every raster line by a loop that watches $D012, so that each
; line is moved 0-7 pixels right in a triangle wave of 32 lines.
.include "common.inc"

main:   fill_screen checker_cell
        lda $D011
        and #$F8
        ora #6
        sta $D011
        sei
        lda #$7F
        sta $DC0D
        lda $DC0D
wait:   lda $D012
:       cmp $D012
        beq :-                  ; a new line has begun
        ldx $D012
        lda wave,x              ; shows from the line after the write
        sta $D016
        jmp wait

wave:
.repeat 256, I
  .if (I / 2) & 8
        .byte $C8 | (15 - ((I / 2) & 15))
  .else
        .byte $C8 | ((I / 2) & 7)
  .endif
.endrepeat
