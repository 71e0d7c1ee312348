; The top and bottom border opened: a raster interrupt in line 249 clears RSEL, so that
; line 251 (the 25-row bottom) does not close the border and line 247 (the 24-row one) has
; passed; one in line 20 sets it again. Balls stand in the top border (Y 31: lines
; 32-52), across the bottom edge (Y 236) and in the bottom border (Y 252). (The chip
; compares a sprite's Y with the line's low eight bits, so a ball at Y 0-31 would show a
; second time from line 256 + Y.) The open border shows the idle graphics, the byte at
; $3FFF ($CC: black stripes two pixels wide on the background colour).
.include "common.inc"

main:   jsr $E544               ; clear the screen
        jsr copy_ball
        point_sprites_at_ball
        lda #$CC
        sta $3FFF
        place_sprites positions, colours
        lda #$FF
        sta $D015
        raster_irq handler, 249
        jmp *

handler:
        lda $D012
        cmp #249
        bcc upper
        lda $D011
        and #$F7                ; 24 rows: the bottom comparison becomes line 247
        sta $D011
        lda #20
        sta $D012
        end_raster_irq
upper:  lda $D011
        ora #$08                ; 25 rows again, long before line 247
        sta $D011
        lda #249
        sta $D012
        end_raster_irq

positions:
        .byte 40, 31, 100, 31, 160, 31
        .byte 60, 236, 120, 236, 180, 236
        .byte 220, 252, 250, 252
colours:
        .byte 1, 2, 7, 5, 3, 4, 8, 13
