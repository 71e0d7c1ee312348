; Hi-res bitmap at $2000 with the colour matrix at $0400 in bank 0, and eight doubled
; sprites, two of them beyond X = 255 and one hanging over the bottom edge.
        .include "basic_header.inc"

        sei
        select_bank 0
        fill_pages $2000, 32, 17        ; the bitmap
        fill_pages $0400, 4, 99         ; ink and paper per cell
        fill_pages $0C00, 2, 3          ; sprite data, pointers $30-$37
        point_sprites $07F8, $30
        place_sprites positions, colours
        lda #%11000000                  ; sprites 6 and 7 beyond X = 255
        sta $D010
        lda #$FF
        sta $D015                       ; all enabled
        sta $D017                       ; doubled in height
        sta $D01D                       ; doubled in width
        lda #0
        sta $D01C                       ; standard form
        lda #$3B                        ; bitmap mode
        sta $D011
        lda #$08
        sta $D016
        lda #$18                        ; matrix $0400, bitmap $2000
        sta $D018
        finish

positions:
        .byte 24, 50,  70, 60,  120, 80,  170, 100
        .byte 220, 120, 250, 241,  10, 70,  40, 150
colours:
        .byte 1, 2, 3, 4, 5, 7, 14, 15
