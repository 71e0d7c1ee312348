; Standard text with the lower-case half of the character ROM copy, screen codes 0-255
; (reversed glyphs included) and eight standard sprites, one of them cut by the left edge.
        .include "basic_header.inc"

        sei
        select_bank 0
        ldx #0
:       txa
        sta $0400,x
        sta $0500,x
        sta $0600,x
        sta $0700,x
        dex
        bne :-
        fill_pages $D800, 4, 123        ; colour RAM
        fill_pages $0C00, 2, 250        ; sprite data, pointers $30-$37
        point_sprites $07F8, $30
        place_sprites positions, colours
        lda #%00000001
        sta $D010
        lda #$FF
        sta $D015
        lda #0
        sta $D01C
        lda #%10000001
        sta $D017
        lda #%01000001
        sta $D01D
        lda #14
        sta $D021
        lda #$1B
        sta $D011
        lda #$08
        sta $D016
        lda #$17                        ; matrix $0400, characters $1800
        sta $D018
        finish

positions:
        .byte 40, 60,  20, 80,  100, 100,  150, 120
        .byte 200, 140,  250, 160,  60, 200,  30, 230
colours:
        .byte 1, 2, 3, 4, 5, 6, 7, 8
