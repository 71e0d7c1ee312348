; Multicolour text with a character set of its own at $3000, colour RAM nibbles of all
; sixteen values, and eight sprites in both forms and every doubling.
        .include "basic_header.inc"

        sei
        select_bank 0
        fill_pages $3000, 8, 41         ; the character set
        fill_pages $0400, 4, 7          ; screen codes
        fill_pages $D800, 4, 200        ; colour RAM, upper nibbles too
        fill_pages $0C00, 2, 77         ; sprite data, pointers $30-$37
        point_sprites $07F8, $30
        place_sprites positions, colours
        lda #0
        sta $D010
        lda #$FF
        sta $D015
        lda #%01010101                  ; even sprites multicolour
        sta $D01C
        lda #%00110011
        sta $D017
        lda #%00001111
        sta $D01D
        lda #6
        sta $D021
        lda #2
        sta $D022
        lda #13
        sta $D023
        lda #9
        sta $D025
        lda #$1A                        ; a value above 15: the display shows colour 10
        sta $D026
        lda #$1B                        ; text mode
        sta $D011
        lda #$18                        ; multicolour
        sta $D016
        lda #$1C                        ; matrix $0400, characters $3000
        sta $D018
        finish

positions:
        .byte 30, 60,  80, 70,  130, 90,  180, 110
        .byte 230, 130, 60, 170,  110, 190,  200, 200
colours:
        .byte 1, 3, 4, 5, 7, 8, 14, 0
