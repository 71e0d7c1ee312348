; 32 sprites from eight: a chain of raster interrupts in lines 50, 100, 150 and 200 moves
; all eight sprites down to the next band (Y 58, 108, 158, 208) and gives them the band's
; colours, once the band above has been drawn.
.include "common.inc"

band    = $F9

main:   jsr $E544               ; clear the screen
        jsr copy_ball
        point_sprites_at_ball
        ldx #0                  ; the X registers: $D000, $D002, ...
        ldy #0
:       lda x_positions,y
        sta $D000,x
        inx
        inx
        iny
        cpy #8
        bne :-
        lda #$80                ; sprite 7 beyond X 255
        sta $D010
        lda #$FF
        sta $D015
        lda #3
        sta band
        raster_irq handler, 200
        jmp *

handler:
        ldx band
        inx
        txa
        and #3
        sta band
        tax
        lda y_positions,x
        sta $D001
        sta $D003
        sta $D005
        sta $D007
        sta $D009
        sta $D00B
        sta $D00D
        sta $D00F
        txa
        asl a
        asl a
        asl a
        tax                     ; the band's first colour
        ldy #0
:       lda colours,x
        sta $D027,y
        inx
        iny
        cpy #8
        bne :-
        ldx band
        inx
        txa
        and #3
        tax
        lda irq_lines,x
        sta $D012
        end_raster_irq

x_positions:
        .byte 24, 60, 96, 132, 168, 204, 240, 20
y_positions:
        .byte 58, 108, 158, 208
irq_lines:
        .byte 50, 100, 150, 200
colours:
        .byte 1, 2, 3, 4, 5, 7, 8, 10
        .byte 13, 14, 15, 12, 11, 9, 1, 7
        .byte 2, 8, 10, 7, 13, 5, 3, 14
        .byte 4, 10, 1, 15, 7, 13, 2, 3
