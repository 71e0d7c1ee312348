; Sprite priority over stripes of reverse spaces (16 pixels of foreground, 16 of
; background):
;   Y 60:  sprites 0, 1, 2 overlapping: the lower number in front (0 over 1 over 2);
;   Y 110: sprite 3 in front of the foreground, sprite 4 behind it ($D01B bit 4);
;   Y 170: sprite 5 behind the foreground overlapping sprite 6 in front of it over a
;          stripe of foreground: where both are, sprite 5 wins over 6 and its priority
;          hides it under the foreground, so the stripe shows there and sprite 6 does not.
.include "common.inc"

main:   fill_screen stripe_cell
        jsr copy_ball
        point_sprites_at_ball
        place_sprites positions, colours
        lda #%00110000          ; sprites 4 and 5 behind the foreground
        sta $D01B
        lda #%01111111
        sta $D015
        jmp *

stripe_cell:
        tya
        and #2
        beq :+
        lda #$A0
        ldx #15                 ; light grey
        rts
:       lda #$20
        ldx #15
        rts

positions:
        .byte 60, 60, 72, 66, 84, 72
        .byte 80, 110, 180, 110
        .byte 96, 170, 108, 170
        .byte 0, 0
colours:
        .byte 2, 5, 7, 2, 7, 2, 7, 1
