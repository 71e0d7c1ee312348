; Multicolour bitmap in bank 3: bitmap at $E000 in the RAM under the KERNAL, matrix at
; $CC00, sprite data at $C000 with the pointers at $CFF8.
        .include "basic_header.inc"

        sei
        fill_pages $E000, 32, 5         ; the bitmap (writes reach the RAM under the ROM)
        fill_pages $CC00, 4, 61         ; colours 1 and 2 per cell
        fill_pages $D800, 4, 19         ; colour 3 per cell
        fill_pages $C000, 2, 88         ; sprite data, pointers $00-$07
        point_sprites $CFF8, $00
        place_sprites positions, colours
        lda #%00000010
        sta $D010
        lda #$FF
        sta $D015
        sta $D01C                       ; all multicolour
        sta $D017
        sta $D01D
        lda #0
        sta $D025                       ; transparent %01 pairs
        lda #12
        sta $D026
        lda #11
        sta $D021
        lda #$3B
        sta $D011
        lda #$18
        sta $D016
        lda #$38                        ; matrix $0C00, bitmap $2000 of the bank
        sta $D018
        select_bank 3
        finish

positions:
        .byte 24, 50,  40, 90,  100, 100,  150, 120
        .byte 200, 140,  250, 160,  60, 200,  30, 230
colours:
        .byte 1, 2, 3, 4, 5, 6, 7, 8
