; Extended colour mode: bits 6-7 of each screen code choose the background of its cell
; from $D021-$D024 (blue, red, green, dark grey); rows take the four in turn, with the
; letters A-Z in white.
.include "common.inc"

main:   fill_screen ecm_cell
        lda #6
        sta $D021
        lda #2
        sta $D022
        lda #5
        sta $D023
        lda #11
        sta $D024
        lda $D011
        ora #$40
        sta $D011
        jmp *

ecm_cell:
        tya
        cmp #26
        bcc :+
        sbc #26
:       clc
        adc #1                  ; A-Z
        sta $F8
        lda row
        and #3
        lsr a
        ror a
        ror a                   ; the row's background number in bits 6-7
        ora $F8
        ldx #1
        rts
